#include "app/NameRules.h"

#include <gtest/gtest.h>

TEST(NameRules, DiffMustBeginWithTheOldBaseNameExactly) {
    struct Case {
        const char* oldPath;
        const char* diffPath;
        bool matches;
    };
    const Case cases[] = {
        {"C:\\img\\live-5.0.5.iso", "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff", true},
        {"C:\\img\\Live-5.0.5.iso", "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff", false},
        {"C:\\img\\live-5.0.5.iso", "D:\\dl\\live-5.0.bsdiff", false},  // shorter than the old base
        {"C:\\img\\live-5.0.5.iso", "D:\\dl\\live-5.0.5.bsdiff", true},
        {"", "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff", true},  // empty old base always passes
        {"C:\\img\\.iso", "D:\\dl\\anything.bsdiff", true},
        {"C:\\img\\live-5.0.5.iso", "D:\\dl\\debian-5.0.5-to-5.0.6.bsdiff", false},
        {"C:\\img\\live-5.0.5", "D:\\dl\\live-5.0-x.bsdiff",
         true},  // no extension: base is live-5.0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.oldPath) + " / " + c.diffPath);
        EXPECT_EQ(DiffMatchesImage(c.oldPath, c.diffPath), c.matches);
    }
}

TEST(NameRules, NewNameIsCutAtFixedWidths) {
    struct Case {
        const char* oldPath;
        const char* diffPath;
        const char* newPath;
    };
    const Case cases[] = {
        // The worked example: the new image lies beside the old one.
        {"C:\\img\\live-5.0.5.iso", "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff",
         "C:\\img\\live-5.0.6.iso"},
        // Old field empty: the diff base from its fifth character on, no folder.
        {"", "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff", "-5.0.5-to-5.0.6.iso"},
        // Another version width is cut all the same.
        {"C:\\img\\live-5.1.iso", "D:\\dl\\live-5.1-to-5.2.bsdiff", "C:\\img\\liv5.2.iso"},
        // An old base of five characters or fewer contributes nothing.
        {"C:\\img\\5.0.5.iso", "D:\\dl\\5.0.5-to-5.0.6.bsdiff", "C:\\img\\5.0.6.iso"},
        // A diff base of L + 4 characters or fewer adds nothing.
        {"C:\\img\\live-5.0.5.iso", "D:\\dl\\live-5.0.5-to-.bsdiff", "C:\\img\\live-.iso"},
        {"C:\\img\\live-5.0.5.iso", "D:\\dl\\live-5.0.5-to-6.bsdiff", "C:\\img\\live-6.iso"},
        // Without an extension the last dot starts what counts as one.
        {"C:\\img\\live-5.0.5", "D:\\dl\\live-5.0-to-5.0.6.bsdiff", "C:\\img\\liv5.0.6.iso"},
        // The extension is always ".iso" in lower case.
        {"C:\\img\\live-5.0.5.ISO", "D:\\dl\\live-5.0.5-to-5.0.6.bsdiff",
         "C:\\img\\live-5.0.6.iso"},
        // A drive-relative old name keeps its colon.
        {"C:live-5.0.5.iso", "live-5.0.5-to-5.0.6.bsdiff", "C:live-5.0.6.iso"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.oldPath) + " / " + c.diffPath);
        EXPECT_EQ(DeriveNewImageName(c.oldPath, c.diffPath), c.newPath);
    }
}
