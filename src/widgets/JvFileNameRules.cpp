#include "widgets/JvFileNameRules.h"

namespace {

constexpr char kRefusedCharacters[] = "/<>\"?*|";

}  // namespace

bool IsValidFileName(const std::string& name) {
    return !name.empty() && name.find_first_of(kRefusedCharacters) == std::string::npos;
}

std::string QuoteFileName(const std::string& name) {
    if (name.find(' ') != std::string::npos && name.front() != '"') {
        return '"' + name + '"';
    }
    return name;
}

std::string FirstCommandLineItem(const std::string& text) {
    // Bytes as unsigned: 128..255 are item characters, not separators.
    auto at = [&text](std::size_t i) -> unsigned char {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
    std::size_t i = 0;
    for (;;) {
        while (at(i) != 0 && at(i) <= ' ') {
            ++i;
        }
        if (at(i) == '"' && at(i + 1) == '"') {
            i += 2;
        } else {
            break;
        }
    }
    std::string item;
    while (at(i) > ' ') {
        if (at(i) == '"') {
            ++i;
            while (at(i) != 0 && at(i) != '"') {
                item.push_back(static_cast<char>(at(i)));
                ++i;
            }
            if (at(i) == '"') {
                ++i;
            }
        } else {
            item.push_back(static_cast<char>(at(i)));
            ++i;
        }
    }
    return item;
}

std::string PlainFileName(const std::string& text, const FileSystemProbe& probe) {
    if (probe.fileExists(text)) {
        return text;
    }
    if (probe.directoryExists(text)) {
        return !text.empty() && text.back() == '\\' ? text : text + '\\';
    }
    return FirstCommandLineItem(text);
}

bool IsAcceptedFileNameValue(const std::string& value, const FileSystemProbe& probe) {
    if (value.empty()) {
        return true;
    }
    if (!IsValidFileName(PlainFileName(value, probe))) {
        return false;
    }
    std::string inner = value;
    if (inner.size() >= 2 && inner.front() == '"' && inner.back() == '"') {
        inner = inner.substr(1, inner.size() - 2);
    }
    return inner.find_first_of(kRefusedCharacters) == std::string::npos;
}
