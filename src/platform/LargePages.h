#pragma once

// Memory for blocks of megabytes: the cells of a list of a million rows, its sort keys. Fresh
// memory reaches a program one small page at a time, each at the cost of a fault, and for tens
// of megabytes those faults can cost more than filling the memory; so such blocks ask the
// system for its large pages, where it has them.

#include <cstddef>
#include <limits>
#include <memory>
#include <new>

namespace platform {

// The large page of the common systems; blocks of this size or more are aligned to it.
inline constexpr std::size_t kLargePageSize = std::size_t{2} << 20;

// Asks for large pages behind the whole large pages within [start, start + size), where the
// system offers that for ordinary memory; elsewhere, or when it refuses, nothing changes.
// The contents stay as they are either way.
void AdviseLargePages(void* start, std::size_t size);

// An allocator for std::vector and its kind that gives blocks of kLargePageSize or more
// aligned to it and advised as above, and smaller ones as std::allocator does.
template <class T> struct LargePageAllocator {
    using value_type = T;

    LargePageAllocator() = default;
    template <class U> LargePageAllocator(const LargePageAllocator<U>&) noexcept { }

    T* allocate(std::size_t count)
    {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T))
            throw std::bad_array_new_length();
        const std::size_t bytes = count * sizeof(T);
        if (bytes < kLargePageSize)
            return std::allocator<T>().allocate(count);
        void* block = ::operator new(bytes, std::align_val_t(kLargePageSize));
        AdviseLargePages(block, bytes);
        return static_cast<T*>(block);
    }

    void deallocate(T* block, std::size_t count) noexcept
    {
        if (count * sizeof(T) < kLargePageSize)
            std::allocator<T>().deallocate(block, count);
        else
            ::operator delete(block, std::align_val_t(kLargePageSize));
    }

    template <class U> bool operator==(const LargePageAllocator<U>&) const noexcept { return true; }
};

} // namespace platform
