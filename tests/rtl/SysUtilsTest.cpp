#include "rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdint>

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

namespace {

// Each class raised from a function of its own: the recorded address must lie
// in that function's code, not in a constructor of the exception classes.
[[gnu::noinline]] void RaiseException() {
    throw Exception("plain");
}
[[gnu::noinline]] void RaiseInOutError() {
    throw EInOutError(5);
}
[[gnu::noinline]] void RaiseComboEditError() {
    throw EComboEditError("Invalid file name - a?b");
}
[[gnu::noinline]] void RaiseThreadError() {
    throw EThread("Thread Error: x (6)");
}
// More than any of the functions above takes, far less than the distance to
// code of another file.
constexpr std::uintptr_t kRaiseCodeSize = 256;

}  // namespace

TEST(ExceptionTest, CarriesClassNameAndTheAddressWhereItWasRaised) {
    struct Case {
        void (*raise)();
        const char* className;
        const char* message;
    };
    const Case cases[] = {
        {&RaiseException, "Exception", "plain"},
        {&RaiseInOutError, "EInOutError", "File access denied"},
        {&RaiseComboEditError, "EComboEditError", "Invalid file name - a?b"},
        {&RaiseThreadError, "EThread", "Thread Error: x (6)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.className);
        try {
            c.raise();
            ADD_FAILURE() << "nothing raised";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.ClassName(), c.className);
            EXPECT_STREQ(e.what(), c.message);
            const auto start = reinterpret_cast<std::uintptr_t>(c.raise);
            const auto at = reinterpret_cast<std::uintptr_t>(e.Address());
            EXPECT_GT(at, start) << "raised at " << e.Address();
            EXPECT_LT(at, start + kRaiseCodeSize) << "raised at " << e.Address();
        }
    }
}
