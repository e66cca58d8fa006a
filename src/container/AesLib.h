#pragma once

// The password-protected container: a salt, a two-byte password verifier, the data
// encrypted with AES in counter mode, and a ten-byte HMAC-SHA1 code over the ciphertext.
// It is the WinZip AES entry format without the ZIP framing, so other implementations
// of that scheme open our files with the same password, and we open theirs.

#include "container/ByteStreams.h"
#include "container/SaltGenerator.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The libcrypto objects behind one context: AES key schedule, HMAC state, key-stream room.
struct CipherEngine;

// The cipher state of one object, set up afresh at the start of every operation.
struct CipherContext {
    CipherContext();
    ~CipherContext();
    CipherContext(const CipherContext&) = delete;
    CipherContext& operator=(const CipherContext&) = delete;

    unsigned char counterBlock[16] = {}; // 64-bit little-endian counter in bytes 0-7
    unsigned char keyStreamBlock[16] = {}; // the block the position points into
    std::unique_ptr<CipherEngine> engine;
    std::uint32_t keyStreamPosition = 16; // 16: the block is used up
    std::uint32_t passwordLength = 0;
    std::uint32_t mode = 0; // 1 to 3: AES-128, AES-192, AES-256
};

class TCrypt {
public:
    // Passwords below 32 bytes give mode 1, below 48 mode 2, longer ones mode 3.
    TCrypt(const std::string& password, std::uint32_t bufferSize);
    virtual ~TCrypt();
    TCrypt(const TCrypt&) = delete;
    TCrypt& operator=(const TCrypt&) = delete;

    std::int32_t Mode() const { return mode_; }

protected:
    std::int32_t mode_;
    CipherContext cipher_;
    std::string password_;
    std::uint32_t bufferSize_;
    std::vector<unsigned char> buffer_;
};

class TEncryption : public TCrypt {
public:
    // Stages: 1 at the start of Decrypt (value: minus the size), 4 after each chunk Encrypt
    // reads (bytes read so far), 5 after each chunk Decrypt reads (bytes in that chunk).
    using ProgressHandler = std::function<void(TEncryption& sender, std::uint8_t stage, std::int64_t value)>;

    // Seeds the salt generator from the high-resolution clock.
    TEncryption(const std::string& password, std::uint32_t bufferSize);
    // Seeds it from the given source instead, so a test can fix the salts.
    TEncryption(const std::string& password, std::uint32_t bufferSize, EntropySource entropySource);
    ~TEncryption() override;

    // Writes one container holding the rest of the source. True when it is complete.
    bool Encrypt(ReadableStream& source, WritableStream& destination);
    // Reads a container of `size` bytes and writes its plain data to the destination, if any.
    // True only when both the password verifier and the authentication code match. After a
    // verifier mismatch nothing has been written; after a code mismatch all the data has.
    bool Decrypt(ReadableStream& source, WritableStream* destination, std::int64_t size);

    ProgressHandler OnProgress;

private:
    void Notify(std::uint8_t stage, std::int64_t value);

    SaltGenerator salt_;
};
