#include "container/CipherContext.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kBlockSize = 16;
// Counter blocks encrypted per libcrypto call: large enough to keep the AES pipeline full,
// small enough that the data and its key stream stay in the first-level cache.
constexpr std::size_t kBatchBlocks = 512;
constexpr std::size_t kBatchBytes = kBatchBlocks * kBlockSize;
constexpr int kIterations = 1000;

std::uint64_t LoadCounter(const unsigned char* block)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | block[i];
    return value;
}

void StoreCounter(std::uint64_t value, unsigned char* block)
{
    for (int i = 0; i < 8; ++i)
        block[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Blocks counter+1, counter+2, ...: the counter little-endian in bytes 0-7, then 8 zeros.
void FillCounterBlocks(unsigned char* blocks, std::size_t count, std::uint64_t counter)
{
    const std::uint64_t zero = 0;
    for (std::size_t b = 0; b < count; ++b) {
        const std::uint64_t value = counter + 1 + b;
        if constexpr (std::endian::native == std::endian::little)
            std::memcpy(blocks + b * kBlockSize, &value, 8);
        else
            StoreCounter(value, blocks + b * kBlockSize);
        std::memcpy(blocks + b * kBlockSize + 8, &zero, 8);
    }
}

void XorInto(unsigned char* data, const unsigned char* keyStream, std::size_t count)
{
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::uint64_t key;
        std::memcpy(&word, data + i, 8);
        std::memcpy(&key, keyStream + i, 8);
        word ^= key;
        std::memcpy(data + i, &word, 8);
    }
    for (; i < count; ++i)
        data[i] ^= keyStream[i];
}

} // namespace

struct CipherEngine {
    CipherEngine()
        : aes(EVP_CIPHER_CTX_new()),
          mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr)),
          hmac(mac != nullptr ? EVP_MAC_CTX_new(mac) : nullptr)
    {
        if (aes == nullptr || hmac == nullptr) {
            Release();
            throw std::bad_alloc();
        }
    }
    ~CipherEngine() { Release(); }
    CipherEngine(const CipherEngine&) = delete;
    CipherEngine& operator=(const CipherEngine&) = delete;

    void Release()
    {
        EVP_MAC_CTX_free(hmac);
        EVP_MAC_free(mac);
        EVP_CIPHER_CTX_free(aes);
        OPENSSL_cleanse(keyStream, sizeof keyStream);
    }

    EVP_CIPHER_CTX* aes;
    EVP_MAC* mac;
    EVP_MAC_CTX* hmac;
    alignas(64) unsigned char keyStream[kBatchBytes];
};

CipherContext::CipherContext()
    : engine(std::make_unique<CipherEngine>())
{ }

CipherContext::~CipherContext()
{
    OPENSSL_cleanse(keyStreamBlock, sizeof keyStreamBlock);
}

std::size_t SaltSize(std::uint32_t mode)
{
    return mode >= 1 && mode <= 3 ? 4 + 4 * mode : 0;
}

int SetUpCipher(CipherContext& context, std::uint32_t mode, std::string_view password, const unsigned char* salt,
    unsigned char (&verifier)[kVerifierSize])
{
    if (password.size() > kMaxPasswordSize)
        return kPasswordTooLong;
    if (mode < 1 || mode > 3)
        return kBadMode;
    // Until a setup succeeds, no half-keyed context may be used.
    context.mode = 0;
    context.passwordLength = static_cast<std::uint32_t>(password.size());

    const std::size_t keySize = 8 + 8 * mode;
    unsigned char derived[2 * 32 + kVerifierSize];
    const std::size_t derivedSize = 2 * keySize + kVerifierSize;
    if (PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt,
            static_cast<int>(SaltSize(mode)), kIterations, static_cast<int>(derivedSize), derived)
        != 1)
        return kCryptoFailure;

    std::memset(context.counterBlock, 0, sizeof context.counterBlock);
    std::memset(context.keyStreamBlock, 0, sizeof context.keyStreamBlock);
    context.keyStreamPosition = kBlockSize;

    const EVP_CIPHER* cipher = mode == 1 ? EVP_aes_128_ecb() : mode == 2 ? EVP_aes_192_ecb() : EVP_aes_256_ecb();
    char digest[] = "SHA1";
    const OSSL_PARAM parameters[]
        = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_construct_end()};
    const bool keyed = EVP_EncryptInit_ex(context.engine->aes, cipher, nullptr, derived, nullptr) == 1
        && EVP_CIPHER_CTX_set_padding(context.engine->aes, 0) == 1
        && EVP_MAC_init(context.engine->hmac, derived + keySize, keySize, parameters) == 1;
    verifier[0] = derived[2 * keySize];
    verifier[1] = derived[2 * keySize + 1];
    OPENSSL_cleanse(derived, sizeof derived);
    if (!keyed)
        return kCryptoFailure;
    context.mode = mode;
    return 0;
}

namespace {

// XORs the key stream into the data, continuing where the previous run stopped. Whole blocks
// are made a batch at a time: consecutive counter blocks encrypted by one libcrypto call.
void ApplyKeyStream(CipherContext& context, unsigned char* data, std::size_t count)
{
    std::uint32_t position = context.keyStreamPosition;
    while (position < kBlockSize && count > 0) {
        *data++ ^= context.keyStreamBlock[position++];
        --count;
    }

    std::uint64_t counter = LoadCounter(context.counterBlock);
    unsigned char* keyStream = context.engine->keyStream;
    while (count > 0) {
        const std::size_t blocks = std::min(kBatchBlocks, (count + kBlockSize - 1) / kBlockSize);
        FillCounterBlocks(keyStream, blocks, counter);
        counter += blocks;
        int produced = 0;
        EVP_EncryptUpdate(context.engine->aes, keyStream, &produced, keyStream, static_cast<int>(blocks * kBlockSize));

        const std::size_t used = std::min(count, blocks * kBlockSize);
        XorInto(data, keyStream, used);
        data += used;
        count -= used;
        // The last block of the batch may be only partly used; the next run continues in it.
        std::memcpy(context.keyStreamBlock, keyStream + (blocks - 1) * kBlockSize, kBlockSize);
        position = static_cast<std::uint32_t>(used - (blocks - 1) * kBlockSize);
    }
    StoreCounter(counter, context.counterBlock);
    context.keyStreamPosition = position;
}

} // namespace

void EncryptRun(CipherContext& context, unsigned char* data, std::size_t count)
{
    // Slices keep each piece in cache between the XOR and the HMAC.
    while (count > 0) {
        const std::size_t slice = std::min(count, kBatchBytes);
        ApplyKeyStream(context, data, slice);
        EVP_MAC_update(context.engine->hmac, data, slice);
        data += slice;
        count -= slice;
    }
}

void DecryptRun(CipherContext& context, unsigned char* data, std::size_t count)
{
    while (count > 0) {
        const std::size_t slice = std::min(count, kBatchBytes);
        EVP_MAC_update(context.engine->hmac, data, slice);
        ApplyKeyStream(context, data, slice);
        data += slice;
        count -= slice;
    }
}

void FinishAuthenticationCode(CipherContext& context, unsigned char (&code)[kAuthenticationCodeSize])
{
    unsigned char full[EVP_MAX_MD_SIZE];
    size_t length = 0;
    EVP_MAC_final(context.engine->hmac, full, &length, sizeof full);
    std::memcpy(code, full, kAuthenticationCodeSize);
}
