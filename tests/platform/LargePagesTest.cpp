#include "platform/LargePages.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <numeric>
#include <vector>

namespace {

bool IsLargePageAligned(const void* block)
{
    return reinterpret_cast<std::uintptr_t>(block) % platform::kLargePageSize == 0;
}

} // namespace

TEST(LargePages, LargeBlocksAreAlignedAndKeepTheirContentsThroughGrowth)
{
    std::vector<int, platform::LargePageAllocator<int>> numbers;
    for (int i = 0; i < 3000000; ++i)
        numbers.push_back(i);
    EXPECT_TRUE(IsLargePageAligned(numbers.data()));
    std::vector<int> expected(numbers.size());
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_TRUE(std::equal(numbers.begin(), numbers.end(), expected.begin()));

    std::vector<char, platform::LargePageAllocator<char>> small(100, 'x');
    EXPECT_EQ(std::count(small.begin(), small.end(), 'x'), 100);
}

TEST(LargePages, AdviceOnAnyRangeLeavesTheMemoryAsItWas)
{
    std::vector<unsigned char> bytes(3 * platform::kLargePageSize + 123);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(i * 31);
    platform::AdviseLargePages(bytes.data() + 1, bytes.size() - 1);
    platform::AdviseLargePages(bytes.data() + 5, 10);
    platform::AdviseLargePages(bytes.data(), 0);
    platform::AdviseLargePages(nullptr, 0);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        changed += bytes[i] != static_cast<unsigned char>(i * 31);
    EXPECT_EQ(changed, 0u);
}
