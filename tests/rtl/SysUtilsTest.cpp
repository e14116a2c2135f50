#include "rtl/SysUtils.h"

#include <gtest/gtest.h>

TEST(InOutError, MessagesFollowTheCodeTable) {
    struct Case {
        int code;
        const char* message;
    };
    const Case cases[] = {
        {2, "File not found"},
        {3, "Invalid filename"},
        {4, "Too many open files"},
        {5, "File access denied"},
        {100, "Read beyond end of file"},
        {101, "Disk full"},
        {106, "Invalid numeric input"},
        {32, "I/O error 32"},
        {0, "I/O error 0"},
        {-7, "I/O error -7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EInOutError error(c.code);
        EXPECT_EQ(error.Message(), c.message);
        EXPECT_EQ(error.ErrorCode(), c.code);
        EXPECT_STREQ(error.ClassName(), "EInOutError");
    }
}

TEST(FullStop, AppendedOnlyAfterCharactersAboveTheDot) {
    EXPECT_EQ(WithFullStop(""), "");
    EXPECT_EQ(WithFullStop("File access denied"), "File access denied.");
    EXPECT_EQ(WithFullStop("Done."), "Done.");
    EXPECT_EQ(WithFullStop("a-"), "a-") << "'-' is below '.'";
    EXPECT_EQ(WithFullStop("a!"), "a!");
    EXPECT_EQ(WithFullStop("a/"), "a/.") << "'/' is above '.'";
    EXPECT_EQ(WithFullStop("caf\xE9"), "caf\xE9.") << "bytes above 127 count as greater";
}

TEST(ExceptionTest, CarriesClassNameAndRaiseAddress) {
    try {
        throw EComboEditError("Invalid file name - a?b");
    } catch (const Exception& e) {
        EXPECT_STREQ(e.ClassName(), "EComboEditError");
        EXPECT_STREQ(e.what(), "Invalid file name - a?b");
        EXPECT_NE(e.Address(), nullptr);
    }
}
