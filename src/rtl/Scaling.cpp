#include "rtl/Scaling.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

int MulDivRound(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(a) * b;
    long long quotient = product / c;
    const long long remainder = product % c;
    // Halves away from zero: compare twice the remainder with the divisor.
    if (std::llabs(remainder) * 2 >= std::llabs(static_cast<long long>(c))) {
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    }
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min()) {
        return -1;
    }
    return static_cast<int>(quotient);
}

int ScaleValue(int value, int toPPI, int fromPPI) {
    return MulDivRound(value, toPPI, fromPPI);
}

ScalableBounds ScaleBounds(const ScalableBounds& bounds, int toPPI, int fromPPI) {
    return {ScaleValue(bounds.left, toPPI, fromPPI), ScaleValue(bounds.top, toPPI, fromPPI),
            ScaleValue(bounds.width, toPPI, fromPPI), ScaleValue(bounds.height, toPPI, fromPPI)};
}

int PictureScale(int ppi) {
    return std::max(1, ppi / kDesignPPI);
}
