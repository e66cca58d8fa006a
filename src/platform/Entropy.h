#pragma once

#include <cstddef>

namespace platform {

// Fills the destination with the smaller of `count` and 8 bytes taken from the
// high-resolution clock (a 64-bit value, little-endian) and returns how many it filled.
// Consecutive calls give slightly different values; that jitter seeds the salt generator.
std::size_t ReadClockEntropy(unsigned char* destination, std::size_t count);

} // namespace platform
