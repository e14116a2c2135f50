#include "res/ManifestElements.h"

#include <algorithm>
#include <map>
#include <regex>

namespace support {
namespace {

struct Element {
    std::string name;  // as written, with its prefix
    std::string ns;
    std::string path;
    std::map<std::string, std::string> prefixes;  // in scope; "" is the default namespace
    std::vector<std::string> attributes;
    std::string text;
    bool hasChildren = false;
};

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    return first == std::string::npos
               ? std::string()
               : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Its namespace, and its path below the root from its parent's (none for the
// root, whose children start the paths).
void Place(Element& element, const Element* parent, bool belowRoot) {
    const size_t colon = element.name.find(':');
    const std::string prefix = colon == std::string::npos ? "" : element.name.substr(0, colon);
    const auto ns = element.prefixes.find(prefix);
    element.ns = ns == element.prefixes.end() ? "?" + prefix : ns->second;
    element.path = belowRoot ? parent->path + "/" : "";
    if (element.ns != (parent == nullptr ? "" : parent->ns)) {
        const std::string_view microsoft = "urn:schemas-microsoft-com:";
        element.path.append("{")
            .append(element.ns.starts_with(microsoft) ? element.ns.substr(microsoft.size())
                                                      : element.ns)
            .append("}");
    }
    element.path += element.name.substr(colon + 1);
}

std::string LineOf(const Element& element) {
    std::string line = element.path;
    for (const std::string& attribute : element.attributes) {
        line += " " + attribute;
    }
    const std::string text = Trimmed(element.text);
    return text.empty() ? line : line + " \"" + text + "\"";
}

// An element from its start tag's name and attributes, below the open ones.
Element Opened(const std::string& name, const std::string& attributes, std::vector<Element>& open) {
    static const std::regex kAttribute(R"re(([\w:.-]+)\s*=\s*(?:"([^"]*)"|'([^']*)'))re");
    Element element;
    element.name = name;
    element.prefixes = open.empty() ? decltype(element.prefixes)() : open.back().prefixes;
    for (std::sregex_iterator at(attributes.begin(), attributes.end(), kAttribute), last;
         at != last; ++at) {
        const std::string key = (*at)[1];
        const std::string value = (*at)[2].matched ? (*at)[2] : (*at)[3];
        if (key == "xmlns" || key.starts_with("xmlns:")) {
            element.prefixes[key == "xmlns" ? "" : key.substr(6)] = value;
        } else {
            element.attributes.push_back(key + "=" + value);
        }
    }
    std::ranges::sort(element.attributes);
    Place(element, open.empty() ? nullptr : &open.back(), open.size() >= 2);
    if (!open.empty()) {
        open.back().hasChildren = true;
    }
    return element;
}

}  // namespace

std::vector<std::string> ManifestElements(std::string_view xmlText) {
    // A tag, or a comment or declaration (no name) to pass over.
    static const std::regex kToken(
        R"re(<!--[\s\S]*?-->|<\?[\s\S]*?\?>|<(/?)([\w:.-]+)((?:\s+[\w:.-]+\s*=\s*(?:"[^"]*"|'[^']*'))*)\s*(/?)>)re");
    const std::string xml(xmlText);
    std::vector<Element> open;
    std::vector<std::string> lines;
    size_t end = 0;
    const auto malformed = [&](const std::string& what) {
        return std::vector<std::string>{"malformed: " + what + " at " + std::to_string(end)};
    };
    for (std::sregex_iterator it(xml.begin(), xml.end(), kToken), last; it != last; ++it) {
        const std::smatch& tag = *it;
        const std::string between = xml.substr(end, tag.position() - end);
        if (between.find_first_of("<>") != std::string::npos ||
            (open.empty() && !Trimmed(between).empty())) {
            return malformed("stray text");
        }
        end = tag.position() + tag.length();
        if (!open.empty()) {
            open.back().text += between;
        }
        if (!tag[2].matched) {
            continue;
        }
        if (tag[1].length() == 0) {
            open.push_back(Opened(tag[2], tag[3], open));
        } else if (open.empty() || open.back().name != tag[2]) {
            return malformed("</" + tag[2].str() + "> closes nothing open");
        }
        if (tag[1].length() > 0 || tag[4].length() > 0) {  // the element ends here
            const Element& element = open.back();
            if (!element.attributes.empty() || !Trimmed(element.text).empty() ||
                !element.hasChildren) {
                lines.push_back(LineOf(element));
            }
            open.pop_back();
        }
    }
    if (!open.empty() || !Trimmed(xml.substr(end)).empty()) {
        return malformed("an element left open or text after the root");
    }
    std::ranges::sort(lines);
    return lines;
}

}  // namespace support
