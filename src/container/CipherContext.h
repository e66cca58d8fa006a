#pragma once

// The container's cipher steps over one CipherContext: key setup from password and salt,
// the counter-mode transform with its running HMAC, and the finished authentication code.

#include "container/AesLib.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr std::size_t kVerifierSize = 2;
inline constexpr std::size_t kAuthenticationCodeSize = 10;
inline constexpr std::size_t kMaxSaltSize = 16;
inline constexpr std::size_t kMaxPasswordSize = 128;

inline constexpr int kPasswordTooLong = -100;
inline constexpr int kBadMode = -101;
inline constexpr int kCryptoFailure = -102;

// Salt bytes for modes 1 to 3: 8, 12 or 16; 0 for any other mode.
std::size_t SaltSize(std::uint32_t mode);

// Derives the keys (PBKDF2-HMAC-SHA1, 1000 rounds) and resets the whole context. Returns 0
// and the verifier, or a negative code with the context left unusable.
int SetUpCipher(CipherContext& context, std::uint32_t mode, std::string_view password, const unsigned char* salt,
    unsigned char (&verifier)[kVerifierSize]);

// Encrypts in place, then feeds the ciphertext to the HMAC.
void EncryptRun(CipherContext& context, unsigned char* data, std::size_t count);
// Feeds the ciphertext to the HMAC, then decrypts in place.
void DecryptRun(CipherContext& context, unsigned char* data, std::size_t count);
// The first 10 bytes of the HMAC over every ciphertext byte since the setup.
void FinishAuthenticationCode(CipherContext& context, unsigned char (&code)[kAuthenticationCodeSize]);
