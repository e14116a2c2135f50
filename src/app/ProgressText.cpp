#include "app/ProgressText.h"

namespace {

// value / divisor, rounded to the nearest, halves up, without overflow.
uint64_t DivideRounded(uint64_t value, uint64_t divisor) {
    return value / divisor + (value % divisor >= (divisor + 1) / 2 ? 1 : 0);
}

std::string Counted(uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// `scaled` hundredths, tenths or units as text with that many decimals.
std::string WithDecimals(uint64_t scaled, int decimals) {
    std::string digits = std::to_string(scaled);
    if (decimals > 0) {
        digits.insert(digits.size() - static_cast<size_t>(decimals), ".");
    }
    return digits;
}

}  // namespace

std::string SizeText(uint64_t bytes) {
    if (bytes < 1000) {
        return Counted(bytes, "byte", "bytes");
    }
    uint64_t unit = 1000;
    for (const char* name : {"KB", "MB", "GB", "TB", "PB"}) {
        // Three figures: 1.23, 12.3 or 123 units; a value that rounds up to
        // the next length takes the next step, 999.7 MB the next unit.
        for (int decimals = 2; decimals >= 0; --decimals) {
            const uint64_t divisor = decimals == 2 ? unit / 100 : decimals == 1 ? unit / 10 : unit;
            const uint64_t scaled = DivideRounded(bytes, divisor);
            if (scaled < 1000) {
                return WithDecimals(scaled, decimals) + " " + name;
            }
        }
        unit *= 1000;
    }
    return std::to_string(DivideRounded(bytes, unit / 1000)) + " PB";
}

std::string TimeLeftText(uint64_t seconds) {
    if (seconds < 10) {
        return "about " + Counted(seconds == 0 ? 1 : seconds, "second", "seconds") + " left";
    }
    if (const uint64_t fives = DivideRounded(seconds, 5) * 5; fives < 60) {
        return "about " + Counted(fives, "second", "seconds") + " left";
    }
    return "about " + Counted(DivideRounded(seconds, 60), "minute", "minutes") + " left";
}

std::string ProgressText(uint64_t produced, uint64_t total, std::optional<uint64_t> secondsLeft) {
    std::string text = SizeText(produced) + " of " + SizeText(total);
    if (secondsLeft && produced < total) {
        text += ", " + TimeLeftText(*secondsLeft);
    }
    return text;
}
