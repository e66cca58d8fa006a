#include "ContainerTestSupport.h"
#include "SevenZip.h"

#include "branding/BrandingFileKey.h"
#include "support/TempDir.h"
#include "support/ZipEntry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace {

struct ToolRun {
    int exitCode;
    std::string errors;
};

class BrandToolTest : public testing::Test {
protected:
    ToolRun Run(const std::string& arguments)
    {
        const std::string errorsPath = folder.File("stderr.txt");
        const int status = std::system(
            (ShellQuote(TALLYWICK_BRAND_TOOL) + " " + arguments + " >/dev/null 2>" + ShellQuote(errorsPath)).c_str());
        ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(errorsPath)};
        std::filesystem::remove(errorsPath);
        return run;
    }

    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir folder;
};

TEST_F(BrandToolTest, EncryptThenDecryptGivesTheOriginal)
{
    const std::string plain = PatternBytes(300000);
    WriteWholeFile(folder.File("plain.txt"), plain);
    ASSERT_EQ(Run(ShellQuote(folder.File("plain.txt")) + " " + ShellQuote(folder.File("x.dat"))).exitCode, 2);
    ASSERT_EQ(
        Run("encrypt " + ShellQuote(folder.File("plain.txt")) + " " + ShellQuote(folder.File("x.dat"))).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.File("x.dat")), plain.size() + 20);
    ASSERT_EQ(
        Run("decrypt " + ShellQuote(folder.File("x.dat")) + " " + ShellQuote(folder.File("back.txt"))).exitCode, 0);
    EXPECT_EQ(ReadWholeFile(folder.File("back.txt")), plain);
}

TEST_F(BrandToolTest, FailedDecryptExitsNonZeroAndLeavesNoOutput)
{
    WriteWholeFile(folder.File("plain.txt"), "BranderType=1\r\n");
    ASSERT_EQ(
        Run("encrypt " + ShellQuote(folder.File("plain.txt")) + " " + ShellQuote(folder.File("good.dat"))).exitCode, 0);
    std::string damaged = ReadWholeFile(folder.File("good.dat"));
    damaged.back() ^= 1;
    WriteWholeFile(folder.File("damaged.dat"), damaged);
    TEncryption other("someone else's password", 4096, CountingEntropy());
    WriteWholeFile(folder.File("foreign.dat"), EncryptToString(other, "BranderType=1\r\n"));
    WriteWholeFile(folder.File("existing.txt"), "keep me");

    struct Case {
        const char* container;
        const char* out;
        const char* messageWord;
    };
    for (const Case& c : {Case{"damaged.dat", "new.txt", "authentication"}, Case{"foreign.dat", "new.txt", "password"},
             Case{"damaged.dat", "existing.txt", "authentication"}}) {
        const std::vector<std::string> before = FolderEntries();
        const std::string existing
            = std::filesystem::exists(folder.File(c.out)) ? ReadWholeFile(folder.File(c.out)) : "";
        const ToolRun run = Run(
            std::string("decrypt ") + ShellQuote(folder.File(c.container)) + " " + ShellQuote(folder.File(c.out)));
        EXPECT_EQ(run.exitCode, 1) << c.container;
        EXPECT_NE(run.errors.find(c.messageWord), std::string::npos) << run.errors;
        // No partial output and no temporary file left behind; an old file stays as it was.
        EXPECT_EQ(FolderEntries(), before) << c.container;
        if (!existing.empty()) {
            EXPECT_EQ(ReadWholeFile(folder.File(c.out)), existing);
        }
    }
}

TEST_F(BrandToolTest, MissingInputIsReported)
{
    const ToolRun run
        = Run("decrypt " + ShellQuote(folder.File("absent.dat")) + " " + ShellQuote(folder.File("out.txt")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.errors.find("absent.dat"), std::string::npos) << run.errors;
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.txt")));
}

TEST_F(BrandToolTest, HelpNamesBothCommands)
{
    EXPECT_EQ(Run("--help").exitCode, 0);
    EXPECT_EQ(Run("").exitCode, 2);
    EXPECT_EQ(Run("shrink a b").exitCode, 2);
    EXPECT_EQ(Run("decrypt onlyone").exitCode, 2);
    const int status
        = std::system((ShellQuote(TALLYWICK_BRAND_TOOL) + " --help > " + ShellQuote(folder.File("help.txt"))).c_str());
    ASSERT_EQ(status, 0);
    const std::string help = ReadWholeFile(folder.File("help.txt"));
    EXPECT_NE(help.find("encrypt PLAIN OUT"), std::string::npos);
    EXPECT_NE(help.find("decrypt IN OUT"), std::string::npos);
}

// What the reseller does with other tools: the raw AES entry of a 7-Zip archive made with
// the program's password is a container the tool opens, and the tool's output is one 7-Zip opens.
TEST_F(BrandToolTest, ExchangesContainersWithSevenZip)
{
    const std::string sevenZip = SevenZipProgram();
    if (sevenZip.empty())
        GTEST_SKIP() << "7-Zip (7zz or 7z) is not installed";
    const std::string plain = PatternBytes(270000, 3);
    WriteWholeFile(folder.File("plain.bin"), plain);

    ASSERT_EQ(RunQuietly(sevenZip + " a -tzip -mx0 -mem=AES128 -p" + kBrandingFilePassword + " "
                  + ShellQuote(folder.File("a.zip")) + " " + ShellQuote(folder.File("plain.bin"))),
        0);
    WriteWholeFile(folder.File("from7zip.dat"), ReadFirstZipEntry(ReadWholeFile(folder.File("a.zip"))).data);
    ASSERT_EQ(Run("decrypt " + ShellQuote(folder.File("from7zip.dat")) + " " + ShellQuote(folder.File("from7zip.txt")))
                  .exitCode,
        0);
    EXPECT_EQ(ReadWholeFile(folder.File("from7zip.txt")), plain);

    ASSERT_EQ(
        Run("encrypt " + ShellQuote(folder.File("plain.bin")) + " " + ShellQuote(folder.File("tool.dat"))).exitCode, 0);
    ZipEntry entry;
    entry.name = "fromtool.bin";
    entry.flags = 1;
    entry.method = 99;
    entry.crc = ZipCrc32(plain);
    entry.plainSize = plain.size();
    entry.aesVendorVersion = 1;
    entry.aesStrength = 1;
    entry.data = ReadWholeFile(folder.File("tool.dat"));
    WriteWholeFile(folder.File("b.zip"), WriteSingleEntryZip(entry));
    ASSERT_EQ(RunQuietly(sevenZip + " x -y -p" + kBrandingFilePassword + " -o" + ShellQuote(folder.File("x")) + " "
                  + ShellQuote(folder.File("b.zip"))),
        0);
    EXPECT_EQ(ReadWholeFile(folder.File("x/fromtool.bin")), plain);
}

} // namespace
