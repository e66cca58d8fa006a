// The branding container against libcrypto doing the same cryptographic work by itself:
// an AES-128 key stream from batched counter blocks, XORed into the data, and HMAC-SHA1.

#include "container/AesLib.h"
#include "branding/BrandingFileKey.h"

#include <benchmark/benchmark.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kDataSize = 256u << 20;

const std::string& PlainData()
{
    static const std::string data = [] {
        std::string bytes(kDataSize, '\0');
        RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
        return bytes;
    }();
    return data;
}

// Writes into room reserved once, as a file in the page cache would take it.
class PreallocatedSink final : public WritableStream {
public:
    explicit PreallocatedSink(std::size_t capacity)
        : bytes_(capacity)
    { }
    bool Write(const unsigned char* source, std::size_t count) override
    {
        if (count > bytes_.size() - used_)
            return false;
        std::memcpy(bytes_.data() + used_, source, count);
        used_ += count;
        return true;
    }
    void Reset() { used_ = 0; }
    std::string_view Bytes() const { return {reinterpret_cast<const char*>(bytes_.data()), used_}; }

private:
    std::vector<unsigned char> bytes_;
    std::size_t used_ = 0;
};

void ContainerEncrypt(benchmark::State& state)
{
    const std::string& plain = PlainData();
    PreallocatedSink sink(plain.size() + 64);
    for (auto _ : state) {
        sink.Reset();
        MemoryReadStream source(plain);
        TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
        if (!encryption.Encrypt(source, sink))
            state.SkipWithError("Encrypt failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
}

void ContainerDecrypt(benchmark::State& state)
{
    const std::string& plain = PlainData();
    std::string container;
    {
        MemoryReadStream source(plain);
        MemoryWriteStream destination(container);
        TEncryption(kBrandingFilePassword, kBrandingFileBufferSize).Encrypt(source, destination);
    }
    PreallocatedSink sink(plain.size());
    for (auto _ : state) {
        sink.Reset();
        MemoryReadStream source(container);
        TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
        if (!encryption.Decrypt(source, &sink, static_cast<std::int64_t>(container.size())))
            state.SkipWithError("Decrypt failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
}

// The same cryptographic work straight on libcrypto: a key stream made `batch` bytes at a
// time from consecutive little-endian counter blocks, XORed in, then HMAC-SHA1 over it. With
// `copies`, each 256 KiB chunk is also copied in and out, as any reader and writer must.
void RunLibcrypto(benchmark::State& state, bool copies)
{
    const std::string& plain = PlainData();
    std::string data = plain;
    std::vector<unsigned char> chunk(kBrandingFileBufferSize);
    PreallocatedSink sink(plain.size());
    unsigned char key[16] = {1, 2, 3};
    unsigned char macKey[16] = {4, 5, 6};
    EVP_CIPHER_CTX* aes = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(aes, EVP_aes_128_ecb(), nullptr, key, nullptr);
    EVP_CIPHER_CTX_set_padding(aes, 0);
    EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    EVP_MAC_CTX* hmac = EVP_MAC_CTX_new(mac);
    char digest[] = "SHA1";
    const OSSL_PARAM parameters[]
        = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_construct_end()};
    const std::size_t batch = static_cast<std::size_t>(state.range(0));
    std::vector<unsigned char> keyStream(batch);

    auto process = [&](unsigned char* bytes, std::size_t size, std::uint64_t& counter) {
        for (std::size_t offset = 0; offset < size; offset += batch) {
            const std::size_t length = std::min(batch, size - offset);
            for (std::size_t b = 0; b < length; b += 16) {
                ++counter;
                std::memcpy(keyStream.data() + b, &counter, 8); // little-endian host
                std::memset(keyStream.data() + b + 8, 0, 8);
            }
            int produced = 0;
            EVP_EncryptUpdate(aes, keyStream.data(), &produced, keyStream.data(), static_cast<int>(length));
            for (std::size_t i = 0; i < length; i += 8) {
                std::uint64_t word;
                std::uint64_t stream;
                std::memcpy(&word, bytes + offset + i, 8);
                std::memcpy(&stream, keyStream.data() + i, 8);
                word ^= stream;
                std::memcpy(bytes + offset + i, &word, 8);
            }
            EVP_MAC_update(hmac, bytes + offset, length);
        }
    };

    for (auto _ : state) {
        EVP_MAC_init(hmac, macKey, sizeof macKey, parameters);
        std::uint64_t counter = 0;
        if (copies) {
            sink.Reset();
            for (std::size_t offset = 0; offset < plain.size(); offset += chunk.size()) {
                const std::size_t length = std::min(chunk.size(), plain.size() - offset);
                std::memcpy(chunk.data(), plain.data() + offset, length);
                process(chunk.data(), length, counter);
                sink.Write(chunk.data(), length);
            }
        } else {
            process(reinterpret_cast<unsigned char*>(data.data()), data.size(), counter);
        }
        unsigned char code[EVP_MAX_MD_SIZE];
        std::size_t codeLength = 0;
        EVP_MAC_final(hmac, code, &codeLength, sizeof code);
        benchmark::DoNotOptimize(code);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
    EVP_MAC_CTX_free(hmac);
    EVP_MAC_free(mac);
    EVP_CIPHER_CTX_free(aes);
}

void LibcryptoInPlace(benchmark::State& state)
{
    RunLibcrypto(state, false);
}

void LibcryptoWithChunkCopies(benchmark::State& state)
{
    RunLibcrypto(state, true);
}

} // namespace

BENCHMARK(LibcryptoInPlace)->Arg(4096)->Arg(8192)->Arg(65536)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(LibcryptoWithChunkCopies)->Arg(8192)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ContainerEncrypt)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ContainerDecrypt)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
