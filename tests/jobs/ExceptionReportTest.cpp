#include "jobs/ExceptionReport.h"

#include <gtest/gtest.h>

namespace {

// The address as the report writes it: zero-padded to the pointer's width.
std::string Padded(const std::string& hex) {
    return std::string(sizeof(void*) * 2 - hex.size(), '0') + hex;
}

TEST(ExceptionReport, FormsTheApplicationErrorText) {
    struct Case {
        const char* name;
        const char* className;
        const char* module;
        std::uintptr_t address;
        const char* message;
        std::string expected;
    };
    const Case cases[] = {
        {"full stop added", "EInOutError", "BrivokPatch.exe", 0x1A2B, "File access denied",
         "Exception EInOutError in module BrivokPatch.exe at " + Padded("1A2B") +
             ".\r\nFile access denied.\r\n"},
        {"full stop kept", "Exception", "BrivokPatch.exe", 0x10, "Done.",
         "Exception Exception in module BrivokPatch.exe at " + Padded("10") + ".\r\nDone.\r\n"},
        {"empty message gets none", "EThread", "x.dll", 0, "",
         "Exception EThread in module x.dll at " + Padded("0") + ".\r\n\r\n"},
        {"other end signs still get one", "Exception", "a.exe", 0xFFFF, "Really?",
         "Exception Exception in module a.exe at " + Padded("FFFF") + ".\r\nReally?.\r\n"},
        {"percent signs are text", "Exception", "a.exe", 0xABCDEF, "100% %s",
         "Exception Exception in module a.exe at " + Padded("ABCDEF") + ".\r\n100% %s.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExceptionReportText(c.className, c.module, c.address, c.message), c.expected);
    }
}

}  // namespace
