// Stands in for bspatch.exe when a test runs the patch script through cmd:
// writes to result.txt in the folder given by BRIVOK_RESULT_FOLDER what it
// was called with, and where.
#include <windows.h>

#include <fstream>
#include <string>

int main(int argc, char** argv) {
    char folder[MAX_PATH] = {};
    char current[MAX_PATH] = {};
    if (GetEnvironmentVariableA("BRIVOK_RESULT_FOLDER", folder, MAX_PATH) == 0) {
        return 2;
    }
    GetCurrentDirectoryA(MAX_PATH, current);
    std::ofstream result(std::string(folder) + "\\result.txt", std::ios::binary);
    result << "folder " << current << "\r\n";
    for (int i = 1; i < argc; ++i) {
        const bool exists = GetFileAttributesA(argv[i]) != INVALID_FILE_ATTRIBUTES;
        result << (exists ? "found " : "missing ") << argv[i] << "\r\n";
    }
    return result ? 0 : 3;
}
