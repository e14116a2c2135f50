// The bytes of a resource of a module (nullptr: this program).
#pragma once

#include <windows.h>

#include <string>

namespace support {

// Empty when the module has no such resource.
inline std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(module, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes == nullptr ? std::string() : std::string(bytes, SizeofResource(module, found));
}

}  // namespace support
