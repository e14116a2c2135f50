// bspatch OLD NEW PATCH: writes NEW from OLD and a patch in the classic
// bsdiff format. Exit codes: 0 success, 1 usage, 2 I/O, 3 corrupt patch.
#include <cstdio>

#include "BsPatch.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: bspatch OLD NEW PATCH\n", stderr);
        return static_cast<int>(bspatch::ExitCode::Usage);
    }
    const bspatch::PatchResult result = bspatch::PatchFiles(argv[1], argv[2], argv[3]);
    if (result.code != bspatch::ExitCode::Ok) {
        std::fprintf(stderr, "bspatch: %s\n", result.message.c_str());
    }
    return static_cast<int>(result.code);
}
