#include "platform/LargePages.h"

#include <sys/mman.h>

#include <cstdint>

namespace platform {

void AdviseLargePages(void* start, std::size_t size)
{
#ifdef MADV_HUGEPAGE
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t first = (begin + kLargePageSize - 1) & ~(kLargePageSize - 1);
    const std::uintptr_t last = (begin + size) & ~(kLargePageSize - 1);
    // Only advice: a system without large pages for this memory refuses, and the block is as good.
    if (start != nullptr && last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)start;
    (void)size;
#endif
}

} // namespace platform
