#include "container/SaltGenerator.h"

// The bare compression step is deprecated in OpenSSL 3 but is the only way to reach it.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include <cstring>

namespace {

constexpr std::size_t kDigestSize = 20;
constexpr std::size_t kBlockSize = 64;

std::uint32_t LoadLittleEndian(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
        | static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void StoreLittleEndian(std::uint32_t value, unsigned char* bytes)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

void MixSaltPool(unsigned char (&pool)[kSaltPoolSize])
{
    for (std::size_t i = 0; i < kSaltPoolSize; i += kDigestSize) {
        const unsigned char* chain = pool + (i == 0 ? kSaltPoolSize : i) - kDigestSize;
        SHA_CTX state{};
        state.h0 = LoadLittleEndian(chain);
        state.h1 = LoadLittleEndian(chain + 4);
        state.h2 = LoadLittleEndian(chain + 8);
        state.h3 = LoadLittleEndian(chain + 12);
        state.h4 = LoadLittleEndian(chain + 16);

        unsigned char block[kBlockSize];
        for (std::size_t j = 0; j < kBlockSize; ++j)
            block[j] = pool[(i + j) % kSaltPoolSize];
        SHA1_Transform(&state, block);

        StoreLittleEndian(state.h0, pool + i);
        StoreLittleEndian(state.h1, pool + i + 4);
        StoreLittleEndian(state.h2, pool + i + 8);
        StoreLittleEndian(state.h3, pool + i + 12);
        StoreLittleEndian(state.h4, pool + i + 16);
    }
}

void SaltGenerator::Init(EntropySource source)
{
    Wipe();
    entropySource = std::move(source);
    Update();
    for (int round = 0; round < 20; ++round)
        MixSaltPool(pool);
    Update();
    outputPosition = 0;
}

void SaltGenerator::Take(unsigned char* destination, std::size_t count)
{
    while (count > 0) {
        if (outputPosition >= kSaltPoolSize) {
            Update();
            outputPosition = 0;
        }
        std::size_t run = kSaltPoolSize - outputPosition;
        if (run > count)
            run = count;
        std::memcpy(destination, output + outputPosition, run);
        outputPosition += static_cast<std::uint32_t>(run);
        destination += run;
        count -= run;
    }
}

void SaltGenerator::Wipe()
{
    // A volatile pointer keeps the compiler from dropping stores to state about to die.
    volatile unsigned char* bytes = pool;
    for (std::size_t i = 0; i < kSaltPoolSize; ++i)
        bytes[i] = 0;
    bytes = output;
    for (std::size_t i = 0; i < kSaltPoolSize; ++i)
        bytes[i] = 0;
    outputPosition = 0;
    entropySource = nullptr;
}

void SaltGenerator::Update()
{
    std::memcpy(output, pool, kSaltPoolSize);
    std::size_t filled = 0;
    while (filled < kSaltPoolSize) {
        const std::size_t got = entropySource ? entropySource(pool + filled, kSaltPoolSize - filled) : 0;
        // A source that gives nothing leaves the rest of the pool as it was rather than spin.
        if (got == 0)
            break;
        filled += got < kSaltPoolSize - filled ? got : kSaltPoolSize - filled;
    }
    for (std::size_t i = 0; i < kSaltPoolSize; ++i)
        pool[i] ^= static_cast<unsigned char>(~output[i]);
    MixSaltPool(pool);
    MixSaltPool(output);
}
