#include "container/ContainerTestSupport.h"
#include "container/SevenZip.h"

#include "support/TempDir.h"
#include "support/ZipEntry.h"

#include <gtest/gtest.h>

namespace {

struct InteropCase {
    std::string password;
    const char* sevenZipMethod;
    std::uint8_t strength;
};

std::string Describe(const testing::TestParamInfo<InteropCase>& info)
{
    return info.param.sevenZipMethod;
}

// 7-Zip picks the AES strength from its switch; we pick it from the password length, so each
// case pairs a password of the right length with the matching switch.
class SevenZipInteropTest : public testing::TestWithParam<InteropCase> {
protected:
    void SetUp() override
    {
        sevenZip = SevenZipProgram();
        if (sevenZip.empty())
            GTEST_SKIP() << "7-Zip (7zz or 7z) is not installed";
    }

    std::string sevenZip;
    TempDir folder;
};

TEST_P(SevenZipInteropTest, EntriesWrittenBySevenZipDecryptHere)
{
    const InteropCase& c = GetParam();
    for (const std::size_t length : {0, 1, 4081, 70000}) {
        const std::string plain = PatternBytes(length, 7);
        WriteWholeFile(folder.File("plain.bin"), plain);
        const std::string archive = folder.File("made-by-7zip.zip");
        std::filesystem::remove(archive);
        ASSERT_EQ(RunQuietly(sevenZip + " a -tzip -mx0 -mem=" + c.sevenZipMethod + " -p" + ShellQuote(c.password) + " "
                      + ShellQuote(archive) + " " + ShellQuote(folder.File("plain.bin"))),
            0);

        const ZipEntry entry = ReadFirstZipEntry(ReadWholeFile(archive));
        ASSERT_EQ(entry.method, 99);
        ASSERT_EQ(entry.aesStrength, c.strength);
        ASSERT_EQ(entry.actualMethod, 0) << "7-Zip compressed the entry";

        TEncryption encryption(c.password, 4096, CountingEntropy());
        const DecryptOutcome outcome = DecryptString(encryption, entry.data);
        EXPECT_TRUE(outcome.passed) << length;
        EXPECT_EQ(outcome.plain, plain) << length;
    }
}

TEST_P(SevenZipInteropTest, ContainersMadeHereExtractWithSevenZip)
{
    const InteropCase& c = GetParam();
    for (const std::size_t length : {0, 1, 4081, 70000}) {
        const std::string plain = PatternBytes(length, 11);
        TEncryption encryption(c.password, 1000);
        ZipEntry entry;
        entry.name = "extracted.bin";
        entry.flags = 1; // encrypted
        entry.method = 99;
        entry.crc = ZipCrc32(plain);
        entry.plainSize = plain.size();
        entry.aesVendorVersion = 1; // AE-1: 7-Zip checks the CRC as well as the code
        entry.aesStrength = c.strength;
        entry.data = EncryptToString(encryption, plain);
        WriteWholeFile(folder.File("made-here.zip"), WriteSingleEntryZip(entry));

        const std::string out = folder.File("out");
        std::filesystem::remove_all(out);
        ASSERT_EQ(RunQuietly(sevenZip + " x -y -p" + ShellQuote(c.password) + " -o" + ShellQuote(out) + " "
                      + ShellQuote(folder.File("made-here.zip"))),
            0)
            << length;
        EXPECT_EQ(ReadWholeFile(out + "/extracted.bin"), plain) << length;
    }
}

TEST_P(SevenZipInteropTest, SevenZipRejectsAContainerDamagedHere)
{
    // Shows the extraction above really checks what we wrote.
    const InteropCase& c = GetParam();
    const std::string plain = PatternBytes(500, 5);
    TEncryption encryption(c.password, 1000);
    ZipEntry entry;
    entry.name = "damaged.bin";
    entry.flags = 1;
    entry.method = 99;
    entry.plainSize = plain.size();
    entry.aesVendorVersion = 2; // no CRC: only the authentication code can catch it
    entry.aesStrength = c.strength;
    entry.data = EncryptToString(encryption, plain);
    entry.data[entry.data.size() - 20] ^= 1;
    WriteWholeFile(folder.File("damaged.zip"), WriteSingleEntryZip(entry));
    EXPECT_NE(RunQuietly(sevenZip + " x -y -p" + ShellQuote(c.password) + " -o" + ShellQuote(folder.File("out")) + " "
                  + ShellQuote(folder.File("damaged.zip"))),
        0);
}

INSTANTIATE_TEST_SUITE_P(AllModes, SevenZipInteropTest,
    testing::Values(InteropCase{"wepdorukiv", "AES128", 1}, InteropCase{std::string(40, 'k') + "!", "AES192", 2},
        InteropCase{"a long passphrase of more than forty-eight bytes, ok?", "AES256", 3}),
    Describe);

} // namespace
