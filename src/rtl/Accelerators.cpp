#include "rtl/Accelerators.h"

char AsciiUpperCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char AcceleratorOf(const std::string& caption) {
    char accelerator = 0;
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') {
            continue;
        }
        ++i;  // the marked character, or the second "&" of a literal one
        if (caption[i] != '&') {
            accelerator = caption[i];
        }
    }
    return accelerator;
}

bool IsAccel(char key, const std::string& caption, CaseFold fold) {
    const char accelerator = AcceleratorOf(caption);
    return accelerator != 0 && fold(accelerator) == fold(key);
}
