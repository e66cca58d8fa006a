#include "container/ContainerTestSupport.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <stdexcept>
#include <vector>

EntropySource CountingEntropy(unsigned char seed)
{
    return [next = seed](unsigned char* destination, std::size_t count) mutable {
        const std::size_t filled = count < 8 ? count : 8;
        for (std::size_t i = 0; i < filled; ++i)
            destination[i] = next++;
        return filled;
    };
}

std::string EncryptToString(TEncryption& encryption, const std::string& plain)
{
    std::string container;
    MemoryReadStream source(plain);
    MemoryWriteStream destination(container);
    if (!encryption.Encrypt(source, destination))
        throw std::runtime_error("Encrypt failed");
    return container;
}

DecryptOutcome DecryptString(TEncryption& encryption, const std::string& container)
{
    DecryptOutcome outcome;
    MemoryReadStream source(container);
    MemoryWriteStream destination(outcome.plain);
    outcome.passed = encryption.Decrypt(source, &destination, static_cast<std::int64_t>(container.size()));
    return outcome;
}

std::size_t SaltLengthFor(const std::string& password)
{
    return password.size() < 32 ? 8 : password.size() < 48 ? 12 : 16;
}

std::string ReferenceContainer(const std::string& password, const std::string& salt, const std::string& plain)
{
    const std::size_t keyLength = salt.size() * 2; // 16, 24, 32
    std::vector<unsigned char> derived(2 * keyLength + 2);
    PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()),
        reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()), 1000,
        static_cast<int>(derived.size()), derived.data());

    const EVP_CIPHER* cipher = keyLength == 16 ? EVP_aes_128_ecb()
        : keyLength == 24                      ? EVP_aes_192_ecb()
                                               : EVP_aes_256_ecb();
    EVP_CIPHER_CTX* aes = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(aes, cipher, nullptr, derived.data(), nullptr);
    EVP_CIPHER_CTX_set_padding(aes, 0);

    std::string ciphertext = plain;
    for (std::size_t offset = 0; offset < ciphertext.size(); offset += 16) {
        const std::uint64_t blockNumber = offset / 16 + 1;
        unsigned char counter[16] = {};
        for (int i = 0; i < 8; ++i)
            counter[i] = static_cast<unsigned char>(blockNumber >> (8 * i));
        unsigned char keyStream[16];
        int produced = 0;
        EVP_EncryptUpdate(aes, keyStream, &produced, counter, 16);
        for (std::size_t i = 0; i < 16 && offset + i < ciphertext.size(); ++i)
            ciphertext[offset + i] = static_cast<char>(ciphertext[offset + i] ^ keyStream[i]);
    }
    EVP_CIPHER_CTX_free(aes);

    unsigned char code[20];
    unsigned int codeLength = 0;
    HMAC(EVP_sha1(), derived.data() + keyLength, static_cast<int>(keyLength),
        reinterpret_cast<const unsigned char*>(ciphertext.data()), ciphertext.size(), code, &codeLength);

    return salt + std::string(reinterpret_cast<const char*>(derived.data()) + 2 * keyLength, 2) + ciphertext
        + std::string(reinterpret_cast<const char*>(code), 10);
}

std::string PatternBytes(std::size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 23);
    }
    return bytes;
}
