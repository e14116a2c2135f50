#include "rtl/PathUtils.h"

#include <gtest/gtest.h>

TEST(PathParts, SplitAtTheLastBackslashOrColon) {
    struct Case {
        const char* path;
        const char* dir;
        const char* file;
        const char* base;
    };
    const Case cases[] = {
        {"C:\\img\\live-5.0.5.iso", "C:\\img\\", "live-5.0.5.iso", "live-5.0.5"},
        {"C:live.iso", "C:", "live.iso", "live"},
        {"live", "", "live", "live"},
        {"live-5.0.5", "", "live-5.0.5", "live-5.0"},
        {"C:\\img\\.iso", "C:\\img\\", ".iso", ""},
        {"C:\\img.d\\live", "C:\\img.d\\", "live", "live"},
        {"C:\\img\\", "C:\\img\\", "", ""},
        {"", "", "", ""},
        {"a/b.iso", "", "a/b.iso", "a/b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExtractFilePath(c.path), c.dir);
        EXPECT_EQ(ExtractFileName(c.path), c.file);
        EXPECT_EQ(ExtractBaseName(c.path), c.base);
    }
}

TEST(PathParts, UpperCasingTouchesOnlyAsciiLetters) {
    EXPECT_EQ(UpperCaseAscii("bspatch.exe"), "BSPATCH.EXE");
    EXPECT_EQ(UpperCaseAscii("caf\xE9-z{"), "CAF\xE9-Z{");
}
