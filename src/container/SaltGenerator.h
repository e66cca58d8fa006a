#pragma once

// The container's salt source: a pool of clock jitter stirred with the SHA-1 compression
// step, so that two containers made in the same second still get different salts.

#include <cstddef>
#include <cstdint>
#include <functional>

inline constexpr std::size_t kSaltPoolSize = 260; // 13 SHA-1 digests

// Fills some bytes of the destination (at most `count`) and returns how many it filled.
using EntropySource = std::function<std::size_t(unsigned char* destination, std::size_t count)>;

// Stirs a pool in place, one 20-byte block after another: each block becomes the SHA-1
// compression of the 64 bytes starting there (wrapping round the end), chained from the 20
// bytes just before it (the last 20 for the first block). Words are kept little-endian.
void MixSaltPool(unsigned char (&pool)[kSaltPoolSize]);

struct SaltGenerator {
    unsigned char pool[kSaltPoolSize];
    unsigned char output[kSaltPoolSize];
    std::uint32_t outputPosition;
    EntropySource entropySource;

    // Zeroes the state, then seeds the pool from `source`.
    void Init(EntropySource source);
    // Copies the next `count` output bytes, refilling the output whenever it runs out.
    void Take(unsigned char* destination, std::size_t count);
    // Overwrites the whole state with zeros, leaving no entropy source.
    void Wipe();

private:
    void Update();
};
