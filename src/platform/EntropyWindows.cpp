#include "platform/Entropy.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace platform {

std::size_t ReadClockEntropy(unsigned char* destination, std::size_t count)
{
    unsigned char bytes[8] = {};
    LARGE_INTEGER counter;
    if (QueryPerformanceCounter(&counter)) {
        const std::uint64_t value = static_cast<std::uint64_t>(counter.QuadPart);
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    } else {
        // Without a performance counter the millisecond tick count fills the low half.
        const DWORD ticks = GetTickCount();
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<unsigned char>(ticks >> (8 * i));
    }
    const std::size_t filled = count < sizeof bytes ? count : sizeof bytes;
    std::memcpy(destination, bytes, filled);
    return filled;
}

} // namespace platform
