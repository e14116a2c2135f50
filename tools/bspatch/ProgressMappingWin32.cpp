// The progress channel's shared memory under Win32; nothing else includes
// a system header for it.
#ifdef _WIN32

#include <windows.h>

#include "ProgressMapping.h"

namespace bspatch {

ProgressMapping::ProgressMapping(const char* name) {
    if (name == nullptr || *name == '\0') {
        return;
    }
    mapping_ = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (mapping_ == nullptr) {
        return;
    }
    void* view = MapViewOfFile(mapping_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
    MEMORY_BASIC_INFORMATION region{};
    // A view is whole pages: what lies past a smaller block reads as zeros
    // and fails the check of the layout.
    if (view == nullptr || VirtualQuery(view, &region, sizeof region) < sizeof region ||
        region.RegionSize < sizeof(ProgressBlock) ||
        !ProgressBlockUsable(*static_cast<ProgressBlock*>(view))) {
        if (view != nullptr) {
            UnmapViewOfFile(view);
        }
        return;
    }
    block_ = static_cast<ProgressBlock*>(view);
}

ProgressMapping::~ProgressMapping() {
    if (block_ != nullptr) {
        UnmapViewOfFile(block_);
    }
    if (mapping_ != nullptr) {
        CloseHandle(mapping_);
    }
}

}  // namespace bspatch

#endif  // _WIN32
