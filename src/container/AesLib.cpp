#include "container/AesLib.h"

#include "container/CipherContext.h"
#include "platform/Entropy.h"

#include <cstring>

TCrypt::TCrypt(const std::string& password, std::uint32_t bufferSize)
    : mode_(password.size() < 32   ? 1
            : password.size() < 48 ? 2
                                   : 3),
      password_(password),
      bufferSize_(bufferSize),
      buffer_(bufferSize)
{ }

TCrypt::~TCrypt() = default;

TEncryption::TEncryption(const std::string& password, std::uint32_t bufferSize)
    : TEncryption(password, bufferSize, platform::ReadClockEntropy)
{ }

TEncryption::TEncryption(const std::string& password, std::uint32_t bufferSize, EntropySource entropySource)
    : TCrypt(password, bufferSize)
{
    salt_.Init(std::move(entropySource));
}

TEncryption::~TEncryption()
{
    salt_.Wipe();
}

void TEncryption::Notify(std::uint8_t stage, std::int64_t value)
{
    if (OnProgress)
        OnProgress(*this, stage, value);
}

bool TEncryption::Encrypt(ReadableStream& source, WritableStream& destination)
{
    const auto mode = static_cast<std::uint32_t>(mode_);
    unsigned char salt[kMaxSaltSize];
    const std::size_t saltSize = SaltSize(mode);
    salt_.Take(salt, saltSize);
    unsigned char verifier[kVerifierSize];
    if (SetUpCipher(cipher_, mode, password_, salt, verifier) != 0)
        return false;
    if (!destination.Write(salt, saltSize) || !destination.Write(verifier, kVerifierSize))
        return false;

    unsigned char* buffer = buffer_.data();
    std::int64_t total = 0;
    // A chunk shorter than the buffer ends the data; a source that fills the buffer exactly
    // is followed by one more, empty chunk.
    for (;;) {
        const std::size_t count = source.Read(buffer, bufferSize_);
        if (source.Failed())
            return false;
        total += static_cast<std::int64_t>(count);
        Notify(4, total);
        EncryptRun(cipher_, buffer, count);
        if (!destination.Write(buffer, count))
            return false;
        if (count < bufferSize_ || bufferSize_ == 0)
            break;
    }

    unsigned char code[kAuthenticationCodeSize];
    FinishAuthenticationCode(cipher_, code);
    return destination.Write(code, kAuthenticationCodeSize);
}

bool TEncryption::Decrypt(ReadableStream& source, WritableStream* destination, std::int64_t size)
{
    Notify(1, -size);

    const auto mode = static_cast<std::uint32_t>(mode_);
    unsigned char salt[kMaxSaltSize];
    const std::size_t saltSize = SaltSize(mode);
    if (source.Read(salt, saltSize) != saltSize)
        return false;
    unsigned char verifier[kVerifierSize];
    if (SetUpCipher(cipher_, mode, password_, salt, verifier) != 0)
        return false;
    unsigned char storedVerifier[kVerifierSize];
    if (source.Read(storedVerifier, kVerifierSize) != kVerifierSize)
        return false;
    if (std::memcmp(verifier, storedVerifier, kVerifierSize) != 0)
        return false;

    unsigned char* buffer = buffer_.data();
    std::int64_t remaining = size - static_cast<std::int64_t>(saltSize + kVerifierSize + kAuthenticationCodeSize);
    do {
        const std::size_t wanted = remaining <= 0
            ? 0
            : static_cast<std::size_t>(remaining < bufferSize_ ? remaining : std::int64_t{bufferSize_});
        const std::size_t count = wanted == 0 ? 0 : source.Read(buffer, wanted);
        if (source.Failed())
            return false;
        Notify(5, static_cast<std::int64_t>(count));
        DecryptRun(cipher_, buffer, count);
        if (destination != nullptr && !destination->Write(buffer, count))
            return false;
        remaining -= static_cast<std::int64_t>(count);
        // A size beyond the end of the source: what was there is written, but it cannot pass.
        if (count == 0 && remaining > 0)
            return false;
    } while (remaining > 0);

    unsigned char code[kAuthenticationCodeSize];
    FinishAuthenticationCode(cipher_, code);
    unsigned char storedCode[kAuthenticationCodeSize] = {};
    source.Read(storedCode, kAuthenticationCodeSize);
    if (source.Failed())
        return false;
    return std::memcmp(code, storedCode, kAuthenticationCodeSize) == 0;
}
