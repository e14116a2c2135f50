// The accelerator of a caption: the last single "&" counts, "&&" is a
// literal "&", case does not matter.
#include "rtl/Accelerators.h"

#include <gtest/gtest.h>

namespace {

struct AcceleratorCase {
    const char* caption;
    char accelerator;
};

constexpr AcceleratorCase kCases[] = {
    {"", 0},
    {"Patch", 0},
    {"&Patch", 'P'},
    {"Clo&se", 's'},
    {"&Go &Back", 'B'},    // several: the last
    {"Fish && Chips", 0},  // a literal "&" only
    {"&&Go", 0},           // "&&" then a plain G
    {"&&&Go", 'G'},        // a literal "&", then the marked G
    {"Rock &&&Roll", 'R'},
    {"Trailing&", 0},  // nothing to mark
    {"&Go&&", 'G'},    // a literal "&" after it changes nothing
};

TEST(Accelerators, TheLastSingleAmpersandMarksTheCharacterAfterIt) {
    for (const AcceleratorCase& c : kCases) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(AcceleratorOf(c.caption), c.accelerator);
    }
}

TEST(Accelerators, MatchIgnoresTheCaseOfLetters) {
    EXPECT_TRUE(IsAccel('g', "&Go"));
    EXPECT_TRUE(IsAccel('G', "&go"));
    EXPECT_FALSE(IsAccel('o', "&Go"));
    EXPECT_FALSE(IsAccel('G', "Go"));
    EXPECT_FALSE(IsAccel('\0', "Go"));  // no accelerator matches nothing, not even 0
    EXPECT_TRUE(IsAccel('1', "Step &1"));
    EXPECT_FALSE(IsAccel('!', "Step &1"));
}

}  // namespace
