// The run-time's shared pseudo-random generator. Portable; safe from any
// thread (the state is one atomic word).
#pragma once

#include <cstdint>

// A number from 0 to range - 1; 0 when range is 0 or less. Every call
// advances the shared state, so a sequence of calls depends on the seed only.
int Random(int range);

// Starts the sequence anew from `seed`.
void RandSeed(std::uint32_t seed);
