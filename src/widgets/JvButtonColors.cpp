#include "widgets/JvButtonColors.h"

#include <algorithm>

namespace {

int Red(RgbValue c) {
    return static_cast<int>(c & 0xFF);
}
int Green(RgbValue c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
int Blue(RgbValue c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
RgbValue Compose(int red, int green, int blue) {
    return static_cast<RgbValue>(red) | (static_cast<RgbValue>(green) << 8) |
           (static_cast<RgbValue>(blue) << 16);
}
RgbValue Shifted(RgbValue c, int delta) {
    auto channel = [delta](int value) { return std::clamp(value + delta, 0, 255); };
    return Compose(channel(Red(c)), channel(Green(c)), channel(Blue(c)));
}

}  // namespace

RgbValue FrameHighlight(RgbValue face) {
    return Shifted(face, 64);
}

RgbValue FrameShadow(RgbValue face) {
    return Shifted(face, -64);
}

RgbValue GreyOf(RgbValue colour) {
    const int grey = (77 * Red(colour) + 150 * Green(colour) + 29 * Blue(colour)) / 256;
    return Compose(grey, grey, grey);
}
