// A small program for the process tests:
//   exit N                 ends with exit code N
//   record FILE            writes its command line and current folder to FILE
//   wait NAME MS           signals the event NAME.ready, waits up to MS for
//                          NAME.stop, signals NAME.done; exit code 0, or 1 on
//                          time-out
//   close BSPATCHPATH      runs the Close action; exit code 7 if it returns
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "process/EndPatchProgramAndTool.h"
#include "rtl/WinHandles.h"

namespace {

KernelHandle NamedEvent(const std::string& name) {
    return KernelHandle(CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
}

int Record(const char* file) {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    FILE* out = std::fopen(file, "wb");
    if (out == nullptr) {
        return 2;
    }
    std::fprintf(out, "%s\n%s\n", GetCommandLineA(), folder);
    return std::fclose(out) == 0 ? 0 : 2;
}

int Wait(const std::string& name, DWORD timeoutMs) {
    const KernelHandle ready = NamedEvent(name + ".ready");
    const KernelHandle stop = NamedEvent(name + ".stop");
    const KernelHandle done = NamedEvent(name + ".done");
    SetEvent(ready.Get());
    const bool stopped = WaitForSingleObject(stop.Get(), timeoutMs) == WAIT_OBJECT_0;
    SetEvent(done.Get());
    return stopped ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "exit" && argc == 3) {
        return std::atoi(argv[2]);
    }
    if (mode == "record" && argc >= 3) {
        return Record(argv[2]);
    }
    if (mode == "wait" && argc == 4) {
        return Wait(argv[2], static_cast<DWORD>(std::atoi(argv[3])));
    }
    if (mode == "close" && argc == 3) {
        EndPatchProgramAndTool(argv[2]);
        return 7;
    }
    std::fprintf(stderr,
                 "usage: process_helper exit N | record FILE | wait NAME MS | close PATH\n");
    return 64;
}
