#include "container/ContainerTestSupport.h"

#include "container/AesLib.h"
#include "branding/BrandingFileKey.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct FormatCase {
    std::size_t passwordLength;
    int mode;
    std::size_t saltLength;
    std::size_t dataLength;
    std::uint32_t bufferSize;
};

std::string CaseName(const testing::TestParamInfo<FormatCase>& info)
{
    const FormatCase& c = info.param;
    return "password" + std::to_string(c.passwordLength) + "_data" + std::to_string(c.dataLength) + "_buffer"
        + std::to_string(c.bufferSize);
}

// Whole containers compared with a block-at-a-time reference: key derivation, verifier,
// counter layout (block 256 is the first after the carry into byte 1), HMAC and framing.
class ContainerFormatTest : public testing::TestWithParam<FormatCase> { };

TEST_P(ContainerFormatTest, MatchesReferenceAndDecrypts)
{
    const FormatCase& c = GetParam();
    const std::string password(c.passwordLength, 'p');
    const std::string plain = PatternBytes(c.dataLength);
    TEncryption encryption(password, c.bufferSize, CountingEntropy());
    EXPECT_EQ(encryption.Mode(), c.mode);

    const std::string container = EncryptToString(encryption, plain);
    ASSERT_EQ(container.size(), c.dataLength + c.saltLength + 12);
    EXPECT_EQ(container, ReferenceContainer(password, container.substr(0, c.saltLength), plain));

    const DecryptOutcome outcome = DecryptString(encryption, container);
    EXPECT_TRUE(outcome.passed);
    EXPECT_EQ(outcome.plain, plain);
}

INSTANTIATE_TEST_SUITE_P(Modes, ContainerFormatTest,
    testing::Values(FormatCase{0, 1, 8, 100, 64}, FormatCase{10, 1, 8, 0, 262144}, FormatCase{31, 1, 8, 5000, 4096},
        FormatCase{32, 2, 12, 5000, 1000}, FormatCase{47, 2, 12, 4081, 17}, FormatCase{48, 3, 16, 5000, 262144},
        FormatCase{128, 3, 16, 33, 1}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(ChunkBoundaries, ContainerFormatTest,
    testing::Values(FormatCase{10, 1, 8, 4080, 4080}, FormatCase{10, 1, 8, 4096, 4096},
        FormatCase{10, 1, 8, 70000, 8193}, FormatCase{10, 1, 8, 15, 16}, FormatCase{10, 1, 8, 8192 * 3 + 5, 8192}),
    CaseName);

TEST(ContainerTest, WrittenWithOneBufferSizeReadsWithAnyOther)
{
    const std::string plain = PatternBytes(20000);
    const std::pair<std::uint32_t, std::uint32_t> sizes[]
        = {{262144, 1}, {1, 262144}, {100, 7}, {16, 8192}, {8192, 8193}, {5, 20000}};
    for (const auto& [writeSize, readSize] : sizes) {
        TEncryption writer("shared secret", writeSize, CountingEntropy(3));
        const std::string container = EncryptToString(writer, plain);
        TEncryption reader("shared secret", readSize, CountingEntropy(9));
        const DecryptOutcome outcome = DecryptString(reader, container);
        EXPECT_TRUE(outcome.passed) << writeSize << " -> " << readSize;
        EXPECT_EQ(outcome.plain, plain) << writeSize << " -> " << readSize;
    }
}

TEST(ContainerTest, EmptySourceWithFixedPasswordGivesTwentyBytesAndDecryptsToNothing)
{
    TEncryption encryption(kBrandingFilePassword, kBrandingFileBufferSize);
    const std::string container = EncryptToString(encryption, "");
    EXPECT_EQ(container.size(), 20u);
    const DecryptOutcome outcome = DecryptString(encryption, container);
    EXPECT_TRUE(outcome.passed);
    EXPECT_EQ(outcome.plain, "");
}

TEST(ContainerTest, ObjectServesSeveralOperationsWithFreshSalts)
{
    SaltGenerator expectedSalts;
    expectedSalts.Init(CountingEntropy());
    std::string salts(16, '\0');
    expectedSalts.Take(reinterpret_cast<unsigned char*>(salts.data()), salts.size());

    TEncryption encryption("pw", 4096, CountingEntropy());
    const std::string first = EncryptToString(encryption, "first");
    const std::string second = EncryptToString(encryption, "second");
    EXPECT_EQ(first.substr(0, 8), salts.substr(0, 8));
    EXPECT_EQ(second.substr(0, 8), salts.substr(8, 8));
    EXPECT_EQ(DecryptString(encryption, first).plain, "first");
    EXPECT_EQ(DecryptString(encryption, second).plain, "second");
}

TEST(ContainerTest, ClockSeededObjectsGiveDifferentSalts)
{
    TEncryption one(kBrandingFilePassword, 1024);
    TEncryption two(kBrandingFilePassword, 1024);
    EXPECT_NE(EncryptToString(one, "x").substr(0, 8), EncryptToString(two, "x").substr(0, 8));
}

class TamperTest : public testing::Test {
protected:
    static constexpr std::size_t kSalt = 8;
    const std::string plain = PatternBytes(3000);
    TEncryption encryption{"tamper test", 1000, CountingEntropy()};
    const std::string container = EncryptToString(encryption, plain);
};

TEST_F(TamperTest, FlippedCiphertextBitComesOutFlippedAndFails)
{
    for (const std::size_t dataOffset : {std::size_t{0}, std::size_t{1500}, plain.size() - 1}) {
        std::string damaged = container;
        damaged[kSalt + 2 + dataOffset] ^= 0x10;
        std::string expected = plain;
        expected[dataOffset] ^= 0x10;
        const DecryptOutcome outcome = DecryptString(encryption, damaged);
        EXPECT_FALSE(outcome.passed) << dataOffset;
        EXPECT_EQ(outcome.plain, expected) << dataOffset;
    }
}

TEST_F(TamperTest, DamagedCodeFailsAfterWritingAllData)
{
    std::string damaged = container;
    damaged.back() ^= 1;
    const DecryptOutcome outcome = DecryptString(encryption, damaged);
    EXPECT_FALSE(outcome.passed);
    EXPECT_EQ(outcome.plain, plain);
}

TEST_F(TamperTest, WrongPasswordStopsAtVerifierWithNothingWritten)
{
    // "tamper test!" happens to differ from the right password in the verifier too.
    TEncryption wrong("tamper test!", 1000, CountingEntropy());
    ASSERT_NE(ReferenceContainer("tamper test!", container.substr(0, kSalt), "").substr(kSalt, 2),
        container.substr(kSalt, 2));
    const DecryptOutcome outcome = DecryptString(wrong, container);
    EXPECT_FALSE(outcome.passed);
    EXPECT_EQ(outcome.plain, "");

    std::string badVerifier = container;
    badVerifier[kSalt] ^= 1;
    EXPECT_EQ(DecryptString(encryption, badVerifier).plain, "");
}

TEST_F(TamperTest, WithoutDestinationOnlyChecks)
{
    std::string damaged = container;
    damaged[kSalt + 2 + 7] ^= 1;
    for (const auto& [bytes, expected] : {std::pair{container, true}, std::pair{damaged, false}}) {
        MemoryReadStream source(bytes);
        EXPECT_EQ(encryption.Decrypt(source, nullptr, static_cast<std::int64_t>(bytes.size())), expected);
    }
}

TEST_F(TamperTest, EveryContainerShorterThanHeaderAndCodeFails)
{
    const std::string emptyContainer = EncryptToString(encryption, "");
    for (std::size_t length = 0; length < emptyContainer.size(); ++length)
        EXPECT_FALSE(DecryptString(encryption, emptyContainer.substr(0, length)).passed) << length;
    EXPECT_FALSE(DecryptString(encryption, container.substr(0, container.size() - 1)).passed);
}

TEST_F(TamperTest, SizeBeyondTheSourceEndsAndFails)
{
    std::string written;
    MemoryReadStream source(container);
    MemoryWriteStream destination(written);
    EXPECT_FALSE(encryption.Decrypt(source, &destination, static_cast<std::int64_t>(container.size()) + 5000));
    // The code bytes were taken for data; everything that was there came out.
    EXPECT_EQ(written.size(), plain.size() + 10);
    EXPECT_EQ(written.substr(0, plain.size()), plain);
}

TEST_F(TamperTest, SizeShorterThanTheContainerFails)
{
    MemoryReadStream source(container);
    EXPECT_FALSE(encryption.Decrypt(source, nullptr, static_cast<std::int64_t>(container.size()) - 1));
}

TEST(ContainerTest, PasswordOver128BytesIsRefusedBeforeWriting)
{
    TEncryption tooLong(std::string(129, 'x'), 4096, CountingEntropy());
    std::string written;
    MemoryReadStream plain("data");
    MemoryWriteStream destination(written);
    EXPECT_FALSE(tooLong.Encrypt(plain, destination));
    EXPECT_EQ(written, "");

    TEncryption longest(std::string(128, 'x'), 4096, CountingEntropy());
    const std::string container = EncryptToString(longest, "data");
    MemoryReadStream source(container);
    EXPECT_FALSE(tooLong.Decrypt(source, &destination, static_cast<std::int64_t>(container.size())));
    EXPECT_EQ(written, "");
}

struct ProgressCall {
    std::uint8_t stage;
    std::int64_t value;
    bool operator==(const ProgressCall&) const = default;
};

TEST(ContainerProgressTest, ReportsEachChunkIncludingTheEmptyLastOne)
{
    struct Case {
        std::size_t dataLength;
        std::vector<ProgressCall> encrypt;
        std::vector<ProgressCall> decrypt;
    };
    const Case cases[] = {
        {0, {{4, 0}}, {{1, -20}, {5, 0}}},
        {100, {{4, 100}, {4, 100}}, {{1, -120}, {5, 100}}},
        {250, {{4, 100}, {4, 200}, {4, 250}}, {{1, -270}, {5, 100}, {5, 100}, {5, 50}}},
    };
    for (const Case& c : cases) {
        TEncryption encryption("pw", 100, CountingEntropy());
        std::vector<ProgressCall> calls;
        encryption.OnProgress = [&](TEncryption& sender, std::uint8_t stage, std::int64_t value) {
            EXPECT_EQ(&sender, &encryption);
            calls.push_back({stage, value});
        };
        const std::string container = EncryptToString(encryption, PatternBytes(c.dataLength));
        EXPECT_EQ(calls, c.encrypt) << c.dataLength;
        calls.clear();
        EXPECT_TRUE(DecryptString(encryption, container).passed);
        EXPECT_EQ(calls, c.decrypt) << c.dataLength;
    }
}

// Streams that stop working after a given number of bytes.
class BrokenWriteStream final : public WritableStream {
public:
    explicit BrokenWriteStream(std::size_t capacity)
        : capacity_(capacity)
    { }
    bool Write(const unsigned char*, std::size_t count) override
    {
        if (count > capacity_)
            return false;
        capacity_ -= count;
        written += count;
        return true;
    }
    std::size_t written = 0;

private:
    std::size_t capacity_;
};

class BrokenReadStream final : public ReadableStream {
public:
    BrokenReadStream(std::string bytes, std::size_t failAt)
        : bytes_(std::move(bytes)),
          failAt_(failAt)
    { }
    std::size_t Read(unsigned char* destination, std::size_t count) override
    {
        std::size_t taken = 0;
        while (taken < count && position_ < bytes_.size() && position_ < failAt_)
            destination[taken++] = static_cast<unsigned char>(bytes_[position_++]);
        failed_ = failed_ || (taken < count && position_ == failAt_);
        return taken;
    }
    bool Failed() const override { return failed_; }

private:
    std::string bytes_;
    std::size_t failAt_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

TEST(ContainerStreamFailureTest, EncryptStopsAtTheFirstFailedWrite)
{
    const std::string plain = PatternBytes(250);
    // Salt, verifier, first data chunk, last data chunk, code.
    for (const std::size_t capacity : {0, 8, 10, 110, 250, 269}) {
        TEncryption encryption("pw", 100, CountingEntropy());
        MemoryReadStream source(plain);
        BrokenWriteStream destination(capacity);
        EXPECT_FALSE(encryption.Encrypt(source, destination)) << capacity;
    }
}

TEST(ContainerStreamFailureTest, ReadFailuresFail)
{
    const std::string plain = PatternBytes(250);
    for (const std::size_t failAt : {0, 100, 249}) {
        TEncryption encryption("pw", 100, CountingEntropy());
        BrokenReadStream source(plain, failAt);
        std::string written;
        MemoryWriteStream destination(written);
        EXPECT_FALSE(encryption.Encrypt(source, destination)) << failAt;
    }

    TEncryption encryption("pw", 100, CountingEntropy());
    const std::string container = EncryptToString(encryption, plain);
    for (const std::size_t failAt :
        {std::size_t{0}, std::size_t{9}, std::size_t{50}, std::size_t{200}, container.size() - 3}) {
        BrokenReadStream source(container, failAt);
        EXPECT_FALSE(encryption.Decrypt(source, nullptr, static_cast<std::int64_t>(container.size()))) << failAt;
    }
    BrokenWriteStream destination(100);
    MemoryReadStream source(container);
    EXPECT_FALSE(encryption.Decrypt(source, &destination, static_cast<std::int64_t>(container.size())));
}

} // namespace
