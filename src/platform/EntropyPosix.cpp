#include "platform/Entropy.h"

#include <cstdint>
#include <cstring>
#include <ctime>

namespace platform {

std::size_t ReadClockEntropy(unsigned char* destination, std::size_t count)
{
    // The monotonic clock stands in for the performance counter: nanoseconds, never set back.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t nanoseconds
        = static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);

    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<unsigned char>(nanoseconds >> (8 * i));
    const std::size_t filled = count < sizeof bytes ? count : sizeof bytes;
    std::memcpy(destination, bytes, filled);
    return filled;
}

} // namespace platform
