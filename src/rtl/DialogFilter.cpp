#include "rtl/DialogFilter.h"

std::string DialogFilterList(const std::string& filter) {
    if (filter.empty()) {
        return std::string(2, '\0');
    }
    std::string list = filter;
    for (char& c : list) {
        if (c == '|') {
            c = '\0';
        }
    }
    list.push_back('\0');
    list.push_back('\0');
    return list;
}
