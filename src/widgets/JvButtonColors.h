// The colours a speed button derives from its face colour. Portable: a
// colour here is a plain 0x00BBGGRR value.
#pragma once

#include <cstdint>

using RgbValue = std::uint32_t;

// Each of red, green and blue plus 64, capped at 255: the light frame edge.
RgbValue FrameHighlight(RgbValue face);
// Each minus 64, floored at 0: the dark frame edge.
RgbValue FrameShadow(RgbValue face);
// The grey of the inactive picture: all three components
// (77 red + 150 green + 29 blue) div 256.
RgbValue GreyOf(RgbValue colour);
