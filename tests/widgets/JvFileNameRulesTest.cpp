#include "widgets/JvFileNameRules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

TEST(IsValidFileName, RefusesEmptyAndTheSevenCharacters) {
    const std::pair<const char*, bool> cases[] = {
        {"", false},
        {"C:\\img\\live-5.0.5.iso", true},
        {"live 5.iso", true},
        {"\\\\server\\share\\x", true},
        {"C:/img/x.iso", false},
        {"a<b", false},
        {"a>b", false},
        {"\"quoted\"", false},
        {"what?.iso", false},
        {"*.iso", false},
        {"a|b", false},
        {"\x01\x1f", true},  // control characters are not looked at
        {"\xe9t\xe9.iso", true},
    };
    for (const auto& [name, valid] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(IsValidFileName(name), valid);
    }
}

TEST(QuoteFileName, QuotesOnlyNamesWithABlankNotAlreadyQuoted) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\img\\live.iso", "C:\\img\\live.iso"},
        {"C:\\My Images\\live.iso", "\"C:\\My Images\\live.iso\""},
        {"\"C:\\My Images\\live.iso\"", "\"C:\\My Images\\live.iso\""},
        {"\"half quoted", "\"half quoted"},
        {"tab\tonly", "tab\tonly"},  // only code 32 counts as a blank
        {" ", "\" \""},
    };
    for (const auto& [name, quoted] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(QuoteFileName(name), quoted);
    }
}

TEST(FirstCommandLineItem, ScansLikeACommandLine) {
    const std::pair<std::string, const char*> cases[] = {
        {"", ""},
        {"   ", ""},
        {"C:\\a.iso", "C:\\a.iso"},
        {"  C:\\a.iso  rest", "C:\\a.iso"},
        {"\"C:\\My Images\\a.iso\"", "C:\\My Images\\a.iso"},
        {"\"C:\\My Images\\a.iso\" tail", "C:\\My Images\\a.iso"},
        {"C:\\My\" Images\"\\a.iso x", "C:\\My Images\\a.iso"},
        {"\"\"\"\" C:\\a.iso", "C:\\a.iso"},  // pairs of quotes before the item
        {"\"unterminated stretch", "unterminated stretch"},
        {"\xe9\xe8 b", "\xe9\xe8"},  // bytes above 127 belong to the item
        {std::string("ab\0cd", 5), "ab"},
        {"\t\r\nname", "name"},
    };
    for (const auto& [text, item] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FirstCommandLineItem(text), item);
    }
}

TEST(FirstCommandLineItem, StaysInsideVeryLongText) {
    const std::string longName(5000, 'x');
    EXPECT_EQ(FirstCommandLineItem("\"" + longName), longName);
    EXPECT_EQ(FirstCommandLineItem(longName + " y"), longName);
}

// A file system made of two sets.
struct FakeDisk {
    std::set<std::string> files;
    std::set<std::string> folders;
    mutable int probes = 0;
    FileSystemProbe Probe() const {
        return {[this](const std::string& p) { return ++probes, files.count(p) > 0; },
                [this](const std::string& p) { return ++probes, folders.count(p) > 0; }};
    }
};

TEST(PlainFileName, ExistingNamesWinOverTheCommandLineRule) {
    FakeDisk disk;
    disk.files = {"C:\\My Images\\live.iso", "C:\\a b"};
    disk.folders = {"C:\\My Images", "C:\\Tools\\"};
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\My Images\\live.iso", "C:\\My Images\\live.iso"},  // a file, blank and all
        {"C:\\My Images", "C:\\My Images\\"},                    // a folder gets one backslash
        {"C:\\Tools\\", "C:\\Tools\\"},
        {"\"C:\\My Images\\live.iso\"", "C:\\My Images\\live.iso"},  // quotes: command line
        {"C:\\Nothing here.iso", "C:\\Nothing"},                     // cut at the first blank
        {"", ""},
    };
    for (const auto& [text, path] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(PlainFileName(text, disk.Probe()), path);
    }
}

TEST(IsAcceptedFileNameValue, TheWholeValueIsTestedNotOnlyItsFirstItem) {
    FakeDisk disk;
    disk.files = {"C:\\My Docs\\a.iso"};
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"C:\\img\\live.iso", true},
        {"C:\\My Docs\\a.iso", true},      // a blank, shown quoted
        {"\"C:\\My Docs\\a.iso\"", true},  // enclosing quotes are no part of it
        {"C:\\My Docs\\a?.iso", false},    // harmless first item, refused rest
        {"\"C:\\My Docs\\a*.iso\"", false},
        {"C:\\a.iso \"b\"", false},  // a quote inside
        {"C:\\what?.iso", false},
        {"   ", false},  // no item at all
        {"\"\"", false},
    };
    for (const auto& [value, accepted] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(IsAcceptedFileNameValue(value, disk.Probe()), accepted);
    }
}

TEST(PlainFileName, MakesAtMostTwoExistenceTests) {
    FakeDisk disk;
    PlainFileName("C:\\x y", disk.Probe());
    EXPECT_EQ(disk.probes, 2);
}

}  // namespace
