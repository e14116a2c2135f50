#include "rtl/DialogFilter.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogFilterList, BarsBecomeNulsAndTheListEndsTwice) {
    struct Case {
        std::string filter;
        std::string list;
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"", "\0\0"s},
        {"Ovru ISO image file (*.ISO)|*.ISO", "Ovru ISO image file (*.ISO)\0*.ISO\0\0"s},
        {"A|*.a|B|*.b;*.c", "A\0*.a\0B\0*.b;*.c\0\0"s},
        {"Desc|", "Desc\0\0\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(DialogFilterList(c.filter), c.list);
    }
}

}  // namespace
