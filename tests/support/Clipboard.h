// The clipboard's text, as the tests put it there and read it back.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

namespace support {

// Empties the clipboard and puts `text` on it, unless that is empty. False
// when the clipboard could not be opened.
inline bool SetClipboardText(const std::string& text) {
    if (!OpenClipboard(nullptr)) {
        return false;
    }
    EmptyClipboard();
    if (!text.empty()) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        SetClipboardData(CF_TEXT, memory);  // the clipboard's from now on
    }
    CloseClipboard();
    return true;
}

// The clipboard's text; empty when it holds none or cannot be opened.
inline std::string ClipboardText() {
    std::string text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            text = static_cast<const char*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

}  // namespace support
