#include "app/OemCodePage.h"

#include <windows.h>

namespace {

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    }
    return wide;
}

std::string FromWide(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    }
    return text;
}

// Through the OEM page and back: only an exact conversion returns unchanged.
bool RoundTrips(const std::wstring& wide) {
    return ToWide(FromWide(wide, CP_OEMCP), CP_OEMCP) == wide;
}

}  // namespace

OemConversion ConvertToOemCodePage(const std::string& ansi) {
    const std::wstring wide = ToWide(ansi, CP_ACP);
    OemConversion result;
    result.text = FromWide(wide, CP_OEMCP);
    result.exact = RoundTrips(wide);
    for (size_t i = 0; !result.exact && i < wide.size(); ++i) {
        if (!RoundTrips(wide.substr(i, 1))) {
            result.missingLetter = FromWide(wide.substr(i, 1), CP_ACP);
            break;
        }
    }
    return result;
}
