// The arithmetic of the edit with a button: the holder's place for every
// kind of border, the text rectangle, the height rules, the ellipsis picture
// and the auto-completion flags.
#include "widgets/JvComboEditGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "support/WidgetFields.h"
#include "widgets/JvAutoCompleteOptions.h"

namespace {

using support::Fields;

TEST(ButtonBounds, EveryKindOfBorderHasItsPlace) {
    // The main window's field: 361 x 21 with a 21 wide button.
    const std::tuple<const char*, EditFrame, BoxRect> cases[] = {
        {"themed, three-dimensional", {true, true, false}, {338, 0, 21, 19}},
        {"themed, flat", {true, true, true}, {339, 1, 21, 19}},
        {"classic, three-dimensional", {false, true, false}, {336, 0, 21, 17}},
        {"classic, flat", {false, true, true}, {338, 2, 21, 17}},
        {"no border", {true, false, false}, {340, 0, 21, 21}},
        {"old-style system", {true, true, false, false}, {340, 0, 21, 21}},
        {"old-style, classic, flat", {false, true, true, false}, {340, 0, 21, 21}},
    };
    for (const auto& [name, frame, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Fields(ButtonBounds(frame, 361, 21, 21)), Fields(expected));
    }
}

TEST(EditTextRect, KeepsTheTextClearOfTheButton) {
    // The right margin gets the holder's width plus 2, as the control adds it.
    const std::tuple<const char*, EditFrame, int, TextRect> cases[] = {
        {"themed, three-dimensional", {true, true, false}, 19, {1, 1, 334, 18}},
        {"classic, three-dimensional", {false, true, false}, 17, {0, 2, 335, 16}},
        {"themed, flat", {true, true, true}, 19, {3, 0, 336, 18}},
        {"classic, flat", {false, true, true}, 19, {0, 0, 335, 18}},
        {"no border", {true, false, false}, 21, {0, 0, 335, 20}},
    };
    for (const auto& [name, frame, clientHeight, expected] : cases) {
        SCOPED_TRACE(name);
        TextMargins margins = EditTextMargins(frame);
        margins.right += 21 + 2;
        EXPECT_EQ(Fields(EditTextRect(margins, 361, clientHeight)), Fields(expected));
    }
}

TEST(EditHeights, TheFieldsFontGivesTheirHeightOf21) {
    // Text height 13, one-pixel borders: the main window's fields.
    EXPECT_EQ(EnsuredMinHeight(EditFrame{true, true, false}, 1, 16, 13), 21);
    EXPECT_EQ(EnsuredMinHeight(EditFrame{true, true, true}, 1, 16, 13), 19);
    // Old-style systems: four borders and a quarter of the smaller font.
    EXPECT_EQ(EnsuredMinHeight(EditFrame{false, true, false, false}, 1, 16, 13), 13 + 4 + 3);
    EXPECT_EQ(EnsuredMinHeight(EditFrame{false, true, false, false}, 2, 20, 24), 24 + 8 + 5);
    // The size adjustment asks less, and nothing for a borderless field.
    EXPECT_EQ(AdjustedMinHeight(EditFrame{true, true, false}, 1, 13), 18);
    EXPECT_EQ(AdjustedMinHeight(EditFrame{true, false, false}, 1, 13), 13);
}

TEST(EllipsisPicture, ThreeDotsCentredWithAGapOfOneToThree) {
    const std::tuple<int, int, std::array<int, 3>> cases[] = {
        {21, 15, {1, 6, 11}},  // gap 4 clamped to 3
        {17, 11, {0, 4, 8}},   // gap 2
        {14, 8, {0, 3, 6}},    // gap 1
        {12, 6, {-1, 2, 5}},   // gap 0 clamped to 1: the first dot starts outside
        {3, 1, {-3, 0, 3}},    // at least one pixel wide
    };
    for (const auto& [buttonWidth, width, dots] : cases) {
        SCOPED_TRACE(buttonWidth);
        const EllipsisPicture picture = MakeEllipsisPicture(buttonWidth);
        EXPECT_EQ(std::tuple(picture.width, picture.height, picture.dotY), std::tuple(width, 4, 1));
        EXPECT_EQ(std::to_array(picture.dotX), dots);
    }
}

TEST(AutoCompleteFlags, SumsOfTheMembersAndTheFileListOptions) {
    EXPECT_EQ(AutoCompleteFlags(0), 0u);
    EXPECT_EQ(AutoCompleteFlags(acoAutoSuggest), 0x1u);
    EXPECT_EQ(AutoCompleteFlags(acoAutoSuggest | acoAutoAppend | acoUseTab), 0x13u);
    EXPECT_EQ(
        AutoCompleteFlags(acoSearch | acoFilterPrefixes | acoUpDownKeyDropsList | acoRTLReading),
        0x6Cu);
    EXPECT_EQ(FileSystemListOptions(acfFileSystem), 0x10u);
    EXPECT_EQ(FileSystemListOptions(acfFileSystem | acfFileSysDirs), 0x30u);
    EXPECT_EQ(FileSystemListOptions(acfFileSysDirs), 0x30u);
    EXPECT_TRUE(WantsFileSystemList(acfFileSysDirs));
    EXPECT_FALSE(WantsFileSystemList(acfURLHistory | acfURLMRU));
}

}  // namespace
