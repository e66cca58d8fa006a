#include "container/ContainerTestSupport.h"

#include "shell/UUtils.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace {

class BrandingFileTest : public testing::Test {
protected:
    TempDir folder;
    const std::string plainPath = folder.File("dbsettings.sim");
    const std::string containerPath = folder.File("dbsettings.dat");
};

TEST_F(BrandingFileTest, RoundTripAddsTwentyBytes)
{
    // Sizes around the 262144-byte chunk: one chunk exactly ends with an empty chunk.
    for (const std::size_t length : {0, 5, 262143, 262144, 262145, 600000}) {
        const std::string plain = PatternBytes(length);
        WriteWholeFile(plainPath, plain);
        EncryptFile(plainPath, containerPath);
        EXPECT_EQ(std::filesystem::file_size(containerPath), length + 20);

        WriteWholeFile(plainPath, "old content that must be replaced");
        DecryptFile(containerPath, plainPath);
        EXPECT_EQ(ReadWholeFile(plainPath), plain) << length;
    }
}

TEST_F(BrandingFileTest, WrongPasswordLeavesThePlainCopyEmpty)
{
    TEncryption other("not the program's password", 4096, CountingEntropy());
    WriteWholeFile(containerPath, EncryptToString(other, "Key1=Value\r\n"));
    WriteWholeFile(plainPath, "stale");
    DecryptFile(containerPath, plainPath);
    EXPECT_EQ(ReadWholeFile(plainPath), "");
}

TEST_F(BrandingFileTest, DamagedContainerStillWritesWhatItDecrypted)
{
    WriteWholeFile(plainPath, "ApplicationName=Counter\r\n");
    EncryptFile(plainPath, containerPath);
    std::string container = ReadWholeFile(containerPath);
    container.back() ^= 1;
    WriteWholeFile(containerPath, container);
    DecryptFile(containerPath, plainPath);
    EXPECT_EQ(ReadWholeFile(plainPath), "ApplicationName=Counter\r\n");
}

TEST_F(BrandingFileTest, MissingSourceOrUncreatableDestinationThrows)
{
    const std::string missing = folder.File("absent.dat");
    const std::string unreachable = folder.File("no-such-folder/out.dat");
    WriteWholeFile(plainPath, "x");
    EXPECT_THROW(DecryptFile(missing, plainPath), std::runtime_error);
    EXPECT_THROW(EncryptFile(missing, containerPath), std::runtime_error);
    EXPECT_THROW(EncryptFile(plainPath, unreachable), std::runtime_error);
    EXPECT_THROW(DecryptFile(plainPath, unreachable), std::runtime_error);
    EXPECT_THROW(EncryptFile(folder.Path().string(), containerPath), std::runtime_error);
    // A missing source does not destroy the destination.
    EXPECT_EQ(ReadWholeFile(plainPath), "x");
}

} // namespace
