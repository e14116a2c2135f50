#include "res/ManifestElements.h"

#include <algorithm>
#include <map>

namespace support {
namespace {

struct OpenElement {
    std::string qualifiedName;
    std::string path;
    std::string ns;
    std::map<std::string, std::string> prefixes;  // in scope; "" is the default namespace
    std::vector<std::string> attributes;
    std::string text;
    bool hasChildren = false;
};

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

std::string ShortNamespace(const std::string& ns) {
    const std::string_view microsoft = "urn:schemas-microsoft-com:";
    return ns.starts_with(microsoft) ? ns.substr(microsoft.size()) : ns;
}

std::string LineOf(const OpenElement& element) {
    std::string line = element.path;
    for (const std::string& attribute : element.attributes) {
        line += " " + attribute;
    }
    const std::string text = Trimmed(element.text);
    if (!text.empty()) {
        line += " \"" + text + "\"";
    }
    return line;
}

class Reader {
public:
    explicit Reader(std::string_view xml) : xml_(xml) {}

    std::vector<std::string> Lines() {
        while (error_.empty() && pos_ < xml_.size()) {
            const size_t tag = std::min(xml_.find('<', pos_), xml_.size());
            if (!open_.empty()) {
                open_.back().text += xml_.substr(pos_, tag - pos_);
            }
            pos_ = tag;
            if (pos_ == xml_.size()) {
                break;
            } else if (xml_.substr(pos_).starts_with("<?")) {
                Skip("?>");
            } else if (xml_.substr(pos_).starts_with("<!--")) {
                Skip("-->");
            } else if (xml_.substr(pos_).starts_with("</")) {
                Close();
            } else {
                Open();
            }
        }
        if (error_.empty() && !open_.empty()) {
            error_ = "<" + open_.back().qualifiedName + "> is not closed";
        }
        if (!error_.empty()) {
            return {"malformed: " + error_};
        }
        std::ranges::sort(lines_);
        return lines_;
    }

private:
    void Skip(std::string_view end) {
        const size_t found = xml_.find(end, pos_);
        if (found == std::string_view::npos) {
            error_ = "no " + std::string(end);
        }
        pos_ = found == std::string_view::npos ? xml_.size() : found + end.size();
    }

    std::string Name() {
        const size_t end = std::min(xml_.find_first_of(" \t\r\n/>=", pos_), xml_.size());
        std::string name(xml_.substr(pos_, end - pos_));
        pos_ = end;
        return name;
    }

    void SkipBlanks() { pos_ = std::min(xml_.find_first_not_of(" \t\r\n", pos_), xml_.size()); }

    void Open() {
        ++pos_;
        OpenElement element;
        element.qualifiedName = Name();
        if (!open_.empty()) {
            open_.back().hasChildren = true;
            element.prefixes = open_.back().prefixes;
        }
        std::vector<std::pair<std::string, std::string>> attributes;
        for (SkipBlanks(); pos_ < xml_.size() && xml_[pos_] != '/' && xml_[pos_] != '>';
             SkipBlanks()) {
            std::string name = Name();
            SkipBlanks();
            const bool equals = pos_ < xml_.size() && xml_[pos_] == '=';
            pos_ += equals ? 1 : 0;
            SkipBlanks();
            const char quote = pos_ < xml_.size() ? xml_[pos_] : '\0';
            const size_t end =
                quote == '"' || quote == '\'' ? xml_.find(quote, pos_ + 1) : std::string_view::npos;
            if (name.empty() || !equals || end == std::string_view::npos) {
                error_ = "bad attribute in <" + element.qualifiedName + ">";
                return;
            }
            std::string value(xml_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
            if (name == "xmlns" || name.starts_with("xmlns:")) {
                element.prefixes[name == "xmlns" ? "" : name.substr(6)] = value;
            } else {
                element.attributes.push_back(name + "=" + value);
            }
        }
        std::ranges::sort(element.attributes);
        Place(element);
        const bool empty = xml_.substr(pos_).starts_with("/>");
        if (!empty && !xml_.substr(pos_).starts_with(">")) {
            error_ = "<" + element.qualifiedName + " is not ended";
            return;
        }
        pos_ += empty ? 2 : 1;
        open_.push_back(std::move(element));
        if (empty) {
            Finish();
        }
    }

    // The element's namespace and its path below the root.
    void Place(OpenElement& element) {
        const size_t colon = element.qualifiedName.find(':');
        const std::string prefix =
            colon == std::string::npos ? "" : element.qualifiedName.substr(0, colon);
        const std::string local = element.qualifiedName.substr(colon + 1);
        const auto ns = element.prefixes.find(prefix);
        if (!prefix.empty() && ns == element.prefixes.end()) {
            error_ = "unknown prefix in <" + element.qualifiedName + ">";
        }
        element.ns = ns == element.prefixes.end() ? "" : ns->second;
        const std::string parentNs = open_.empty() ? "" : open_.back().ns;
        element.path = open_.size() <= 1 ? "" : open_.back().path + "/";
        if (element.ns != parentNs) {
            element.path.append("{").append(ShortNamespace(element.ns)).append("}");
        }
        element.path += local;
    }

    void Close() {
        pos_ += 2;
        const std::string name = Name();
        SkipBlanks();
        if (open_.empty() || name != open_.back().qualifiedName || pos_ == xml_.size() ||
            xml_[pos_] != '>') {
            error_ = "unexpected </" + name + ">";
            return;
        }
        ++pos_;
        Finish();
    }

    void Finish() {
        const OpenElement& element = open_.back();
        if (!element.attributes.empty() || !Trimmed(element.text).empty() || !element.hasChildren) {
            lines_.push_back(LineOf(element));
        }
        open_.pop_back();
    }

    std::string_view xml_;
    size_t pos_ = 0;
    std::vector<OpenElement> open_;
    std::vector<std::string> lines_;
    std::string error_;
};

}  // namespace

std::vector<std::string> ManifestElements(std::string_view xml) {
    return Reader(xml).Lines();
}

}  // namespace support
