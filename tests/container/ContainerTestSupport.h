#pragma once

// Helpers shared by the container tests: a fixed entropy source, in-memory round trips,
// and a plain reference of the container format built straight from libcrypto.

#include "container/AesLib.h"

#include <cstdint>
#include <string>

// A deterministic stand-in for the clock: bytes 0, 1, 2, ... shifted by `seed`.
EntropySource CountingEntropy(unsigned char seed = 0);

std::string EncryptToString(TEncryption& encryption, const std::string& plain);

struct DecryptOutcome {
    bool passed;
    std::string plain;
};
DecryptOutcome DecryptString(TEncryption& encryption, const std::string& container);

// Salt length for a password, as the scheme fixes it: 8, 12 or 16 bytes.
std::size_t SaltLengthFor(const std::string& password);

// The container for `plain` under `password` and `salt`, made one AES block at a time with
// the counter written out byte by byte: an independent check of the batched code.
std::string ReferenceContainer(const std::string& password, const std::string& salt, const std::string& plain);

// Bytes that differ from one position to the next and do not repeat every key-stream block.
std::string PatternBytes(std::size_t count, unsigned seed = 1);
