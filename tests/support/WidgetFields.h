// The four fields of a plain result (edges, a place and a size) as one
// tuple, which the test framework compares and prints whole.
#pragma once

#include <tuple>

namespace support {

template <typename FourFields>
auto Fields(const FourFields& value) {
    const auto& [a, b, c, d] = value;
    return std::tuple(a, b, c, d);
}

}  // namespace support
