// bspatch's view of the progress channel under Windows: it opens a named
// block of this layout, shared with its runner, and nothing else.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ProgressMapping.h"

using namespace bspatch;

namespace {

// A runner's named block, and its view of it.
using Mapping = std::unique_ptr<void, decltype(&CloseHandle)>;
using View = std::unique_ptr<void, decltype(&UnmapViewOfFile)>;

TEST(ProgressMapping, OnlyANamedBlockOfThisLayoutIsOpened) {
    const std::string name = "Local\\BrivokTest.Progress." + std::to_string(GetCurrentProcessId());
    const std::string other = name + ".other";
    struct Case {
        const char* what;
        DWORD size;
        uint32_t version;  // 0: not made a block
        const char* opened;
        bool usable;
    };
    const Case cases[] = {
        {"this layout", sizeof(ProgressBlock), kProgressVersion, name.c_str(), true},
        {"another version", sizeof(ProgressBlock), kProgressVersion + 1, name.c_str(), false},
        {"one byte", 1, 0, name.c_str(), false},
        {"another name", sizeof(ProgressBlock), kProgressVersion, other.c_str(), false},
        {"no name", sizeof(ProgressBlock), kProgressVersion, nullptr, false},
        {"an empty name", sizeof(ProgressBlock), kProgressVersion, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Mapping mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 c.size, name.c_str()),
                              &CloseHandle);
        const View view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0), &UnmapViewOfFile);
        ASSERT_NE(view, nullptr);
        ProgressBlock& runner = *static_cast<ProgressBlock*>(view.get());
        if (c.version != 0) {
            InitProgressBlock(runner);
            runner.version = c.version;
        }
        const ProgressMapping opened(c.opened);
        ASSERT_EQ(opened.Block() != nullptr, c.usable);
        if (c.usable) {
            const ProgressReport report{ProgressPhase::Patching, 5ull << 30, 3ull << 30};
            WriteProgress(*opened.Block(), report);
            EXPECT_EQ(ReadProgress(runner), report) << "the runner reads it";
        }
    }
}

}  // namespace
