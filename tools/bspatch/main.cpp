// bspatch OLD NEW PATCH: writes NEW from OLD and a patch in the classic
// bsdiff format. Exit codes: 0 success, 1 usage, 2 I/O, 3 corrupt patch.
// BSPATCH_WORKERS=N in the environment caps the decoding threads (for
// benchmarks and tests); by default there is one per processor. On Windows,
// BRIVOK_PROGRESS names a progress channel to keep current.
#include <cstdio>
#include <cstdlib>

#include "BsPatch.h"
#ifdef _WIN32
#include "ProgressMapping.h"
#endif

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: bspatch OLD NEW PATCH\n", stderr);
        return static_cast<int>(bspatch::ExitCode::Usage);
    }
    bspatch::PatchOptions options;
    if (const char* workers = std::getenv("BSPATCH_WORKERS")) {
        char* end = nullptr;
        unsigned long n = std::strtoul(workers, &end, 10);
        if (end != workers && *end == '\0') {
            options.workers = static_cast<size_t>(n);
        }
    }
#ifdef _WIN32
    const bspatch::ProgressMapping progress(std::getenv(bspatch::kProgressVariable));
    options.progress = progress.Block();
#endif
    const bspatch::PatchResult result = bspatch::PatchFiles(argv[1], argv[2], argv[3], options);
    if (result.code != bspatch::ExitCode::Ok) {
        std::fprintf(stderr, "bspatch: %s\n", result.message.c_str());
    }
    return static_cast<int>(result.code);
}
