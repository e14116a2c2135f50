// The words of a run's progress and the estimate of the time left: sizes to
// three figures, times rounded as people say them, the rate over the last
// five seconds and no estimate in the first two.
#include <gtest/gtest.h>

#include "app/ProgressEstimate.h"
#include "app/ProgressText.h"

namespace {

TEST(ProgressText, SizesAndTimesAsPeopleSayThem) {
    const std::pair<uint64_t, const char*> sizes[] = {
        {0, "0 bytes"},           {1, "1 byte"},           {999, "999 bytes"},
        {1000, "1.00 KB"},        {1234, "1.23 KB"},       {9995, "10.0 KB"},
        {99949, "99.9 KB"},       {512000000, "512 MB"},   {999499999, "999 MB"},
        {999500000, "1.00 GB"},   {1200000000, "1.20 GB"}, {4300000000, "4.30 GB"},
        {UINT64_MAX, "18447 PB"},
    };
    for (const auto& [bytes, text] : sizes) {
        EXPECT_EQ(SizeText(bytes), text) << bytes;
    }
    const std::pair<uint64_t, const char*> times[] = {
        {0, "about 1 second left"},    {1, "about 1 second left"},
        {9, "about 9 seconds left"},   {12, "about 10 seconds left"},
        {43, "about 45 seconds left"}, {57, "about 55 seconds left"},
        {58, "about 1 minute left"},   {89, "about 1 minute left"},
        {90, "about 2 minutes left"},  {7380, "about 123 minutes left"},
    };
    for (const auto& [seconds, text] : times) {
        EXPECT_EQ(TimeLeftText(seconds), text) << seconds;
    }
    EXPECT_EQ(ProgressText(1200000000, 4300000000, 130),
              "1.20 GB of 4.30 GB, about 2 minutes left");
    EXPECT_EQ(ProgressText(1200000000, 4300000000, std::nullopt), "1.20 GB of 4.30 GB");
    EXPECT_EQ(ProgressText(4300000000, 4300000000, 0), "4.30 GB of 4.30 GB") << "nothing left";
}

TEST(ProgressEstimate, TheRateOfTheLastFiveSecondsFromTheThirdSecondOn) {
    ProgressEstimate estimate;
    constexpr uint64_t kTotal = 1000000000;
    // 10 MB a second for ten seconds, then 40 MB a second.
    uint64_t produced = 0;
    for (uint64_t ms = 0; ms <= 20000; ms += 100) {
        estimate.Add(100000 + ms, produced);
        const std::optional<uint64_t> left = estimate.SecondsLeft(kTotal);
        if (ms < 2000) {
            EXPECT_FALSE(left) << "at " << ms << " ms: the rate is not known yet";
        } else if (ms == 9900) {
            EXPECT_EQ(left, 91u) << "901 MB left at the slow pace";
        } else if (ms == 12000) {
            EXPECT_EQ(left, 38u) << "820 MB left; two of the last five seconds at the new pace";
        } else if (ms == 20000) {
            EXPECT_EQ(left, 13u) << "500 MB left at the new pace alone";
        }
        produced += ms < 10000 ? 1000000 : 4000000;
    }
    ProgressEstimate stalled;
    for (uint64_t ms = 0; ms <= 3000; ms += 100) {
        stalled.Add(ms, 500);
    }
    EXPECT_FALSE(stalled.SecondsLeft(kTotal)) << "nothing moves";
}

}  // namespace
