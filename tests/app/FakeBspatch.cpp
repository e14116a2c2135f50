// Stands in for bspatch.exe when a test runs a patch script through cmd or
// the whole tool: it reports how it was called, can take its time or fail,
// and otherwise copies the old image to the new one.
//   BRIVOK_RESULT_FOLDER  result.txt there gets "folder <cwd>", one "found
//                         <arg>" or "missing <arg>" line per argument and,
//                         where it inherited a progress channel, "progress
//                         <name>" (it reports nothing into it)
//   BRIVOK_FAKE_WAIT      while this file exists, the program waits
//   BRIVOK_FAKE_EXIT      exit code to fail with, without writing anything
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string Env(const char* name) {
    char value[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

bool Report(int argc, char** argv) {
    const std::string folder = Env("BRIVOK_RESULT_FOLDER");
    if (folder.empty()) {
        return true;
    }
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    std::ofstream result(folder + "\\result.txt", std::ios::binary);
    result << "folder " << current << "\r\n";
    for (int i = 1; i < argc; ++i) {
        const bool exists = GetFileAttributesA(argv[i]) != INVALID_FILE_ATTRIBUTES;
        result << (exists ? "found " : "missing ") << argv[i] << "\r\n";
    }
    if (const std::string channel = Env("BRIVOK_PROGRESS"); !channel.empty()) {
        result << "progress " << channel << "\r\n";
    }
    return static_cast<bool>(result);
}

}  // namespace

int main(int argc, char** argv) {
    if (!Report(argc, argv)) {
        return 3;
    }
    const std::string wait = Env("BRIVOK_FAKE_WAIT");
    while (!wait.empty() && GetFileAttributesA(wait.c_str()) != INVALID_FILE_ATTRIBUTES) {
        Sleep(20);
    }
    const std::string exitCode = Env("BRIVOK_FAKE_EXIT");
    if (!exitCode.empty()) {
        return std::atoi(exitCode.c_str());
    }
    if (argc != 4) {
        return 1;
    }
    // Into the new image only when there is one to make: the script tests
    // call it with names that need not exist.
    if (GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES) {
        return 0;
    }
    return CopyFileA(argv[1], argv[2], FALSE) ? 0 : 2;
}
