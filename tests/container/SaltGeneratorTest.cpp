#include "container/ContainerTestSupport.h"

#include "container/SaltGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

void StoreWords(const std::uint32_t (&words)[5], unsigned char* bytes)
{
    for (int w = 0; w < 5; ++w)
        for (int i = 0; i < 4; ++i)
            bytes[4 * w + i] = static_cast<unsigned char>(words[w] >> (8 * i));
}

TEST(MixSaltPoolTest, FirstBlockIsOneShaCompressionChainedFromThePoolsEnd)
{
    // Chaining from SHA-1's initial state over the padded empty message gives SHA-1 of "".
    unsigned char pool[kSaltPoolSize] = {};
    StoreWords({0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0}, pool + kSaltPoolSize - 20);
    pool[0] = 0x80;
    MixSaltPool(pool);

    unsigned char expected[20];
    StoreWords({0xda39a3ee, 0x5e6b4b0d, 0x3255bfef, 0x95601890, 0xafd80709}, expected);
    EXPECT_EQ(0, std::memcmp(pool, expected, 20));
}

TEST(SaltGeneratorTest, RefillAsksForTheBytesStillMissing)
{
    std::vector<std::size_t> requests;
    SaltGenerator generator;
    const EntropySource counting = CountingEntropy();
    generator.Init([&](unsigned char* destination, std::size_t count) {
        requests.push_back(count);
        return counting(destination, count);
    });
    // Two refills of 260 bytes, 8 bytes at a time.
    std::vector<std::size_t> expected;
    for (int refill = 0; refill < 2; ++refill)
        for (std::size_t missing = kSaltPoolSize; missing > 0; missing -= std::min<std::size_t>(missing, 8))
            expected.push_back(missing);
    EXPECT_EQ(requests, expected);
}

std::string Take(SaltGenerator& generator, std::size_t count)
{
    std::string bytes(count, '\0');
    generator.Take(reinterpret_cast<unsigned char*>(bytes.data()), count);
    return bytes;
}

TEST(SaltGeneratorTest, OutputRunsOnAcrossRefillsWhateverThePieces)
{
    SaltGenerator whole;
    whole.Init(CountingEntropy());
    const std::string all = Take(whole, 3 * kSaltPoolSize);

    SaltGenerator pieces;
    pieces.Init(CountingEntropy());
    std::string joined;
    for (const std::size_t piece : {1, 259, 1, 8, 300, 211})
        joined += Take(pieces, piece);
    EXPECT_EQ(joined, all);

    // Each refill brings new bytes, not the previous output again.
    EXPECT_NE(all.substr(0, kSaltPoolSize), all.substr(kSaltPoolSize, kSaltPoolSize));
    EXPECT_NE(all.substr(kSaltPoolSize, kSaltPoolSize), all.substr(2 * kSaltPoolSize, kSaltPoolSize));
}

TEST(SaltGeneratorTest, DifferentEntropyGivesDifferentOutput)
{
    SaltGenerator one;
    one.Init(CountingEntropy(0));
    SaltGenerator two;
    two.Init(CountingEntropy(1));
    EXPECT_NE(Take(one, 16), Take(two, 16));
}

TEST(SaltGeneratorTest, WipeLeavesNothingBehind)
{
    SaltGenerator generator;
    generator.Init(CountingEntropy());
    Take(generator, 5);
    generator.Wipe();
    const unsigned char zeros[kSaltPoolSize] = {};
    EXPECT_EQ(0, std::memcmp(generator.pool, zeros, kSaltPoolSize));
    EXPECT_EQ(0, std::memcmp(generator.output, zeros, kSaltPoolSize));
    EXPECT_EQ(generator.outputPosition, 0u);
    EXPECT_FALSE(generator.entropySource);
}

} // namespace
