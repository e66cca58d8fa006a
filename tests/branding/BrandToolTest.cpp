#include "container/ContainerTestSupport.h"
#include "container/SevenZip.h"

#include "branding/BrandingFileKey.h"
#include "branding/SkinFile.h"
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
    std::string output;
};

class BrandToolTest : public testing::Test {
protected:
    ToolRun Run(const std::string& arguments)
    {
        const std::string errorsPath = folder.File("stderr.txt");
        const std::string outputPath = folder.File("stdout.txt");
        const int status = std::system((ShellQuote(TALLYWICK_BRAND_TOOL) + " " + arguments + " >"
            + ShellQuote(outputPath) + " 2>" + ShellQuote(errorsPath))
                                           .c_str());
        ToolRun run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(errorsPath), ReadWholeFile(outputPath)};
        std::filesystem::remove(errorsPath);
        std::filesystem::remove(outputPath);
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
    EXPECT_NE(help.find("skin STYLESHEET OUT"), std::string::npos);
    EXPECT_NE(help.find("check PLAIN"), std::string::npos);
    EXPECT_EQ(Run("check").exitCode, 2);
    EXPECT_EQ(Run("skin one").exitCode, 2);
}

TEST_F(BrandToolTest, SkinPacksAStyleSheetTheProgramReads)
{
    const std::string sheet = "QPushButton { color: #102030; }\n";
    WriteWholeFile(folder.File("skin.qss"), sheet);
    ASSERT_EQ(
        Run("skin " + ShellQuote(folder.File("skin.qss")) + " " + ShellQuote(folder.File("mainskin.dat"))).exitCode, 0);
    EXPECT_EQ(ReadSkinFile(ReadWholeFile(folder.File("mainskin.dat"))), sheet);

    // Nothing to pack, or nothing to read: an error and no file.
    WriteWholeFile(folder.File("empty.qss"), " \r\n");
    for (const std::string& input : {folder.File("empty.qss"), folder.File("absent.qss")}) {
        const ToolRun run = Run("skin " + ShellQuote(input) + " " + ShellQuote(folder.File("out.dat")));
        EXPECT_EQ(run.exitCode, 1) << input;
        EXPECT_NE(run.errors.find(input), std::string::npos) << run.errors;
        EXPECT_FALSE(std::filesystem::exists(folder.File("out.dat")));
    }
}

TEST_F(BrandToolTest, CheckReportsWhatTheProgramWillMiss)
{
    struct Case {
        const char* name;
        std::string plain;
        std::vector<std::string> banners; // files put beside the text
        int exitCode;
        std::vector<std::string> said; // each must appear in the output
    };
    auto tag = [](const std::string& key, const std::string& value) {
        return "<%%" + key + "%%>" + value + "<%%/" + key + "%%>\r\n";
    };
    const Case cases[] = {
        {"a clean package",
            tag("ApplicationName", "Counter") + tag("BranderType", "Gold") + tag("GoldNewsBaseURL", "http://n")
                + tag("GoldPublID", "4") + tag("AboutText", "a\nb") + tag("Banner1", "ad.gif^http://b")
                + tag("Link1", "Home^http://h"),
            {"banner1.dat"}, 0,
            {"ApplicationName = \"Counter\"", "AboutText = \"a\\r\\nb\"", "BranderCode = (not found)",
                "News button: shown", "Affiliate button: \"Make Money\"", "No problems found."}},
        {"a key out of order", tag("BranderType", "Gold") + tag("ApplicationName", "Counter"), {}, 1,
            {"BranderType reads as empty: it stands before ApplicationName", "News button: hidden",
                "1 problem found."}},
        {"an unclosed tag", "<%%ApplicationName%%>Counter\r\n" + tag("BranderType", "Gold"), {}, 1,
            {"ApplicationName has no closing tag <%%/ApplicationName%%>"}},
        {"gaps and a 17th entry",
            tag("Welcome1", "w") + tag("Welcome3", "w") + tag("Link1", "a^b") + tag("Link2", "a^b")
                + tag("Link17", "a^b") + tag("Banner02", "x^y"),
            {}, 1,
            {"Welcome3 is never read: the list ends at Welcome2, which is missing or empty",
                "Link17 is never read: at most 16 are read",
                "Banner02 is never read: numbers are written without leading zeros"}},
        {"banner files and separators",
            tag("Banner1", "ad.png^http://b") + tag("Banner2", "noaddress.png") + tag("Banner3", "^http://nameless")
                + tag("Link1", "caption only"),
            {"banner2.dat"}, 1,
            {"Banner1: banner1.dat is missing beside the branding text", "Banner2 has no \"^\"",
                "Banner3 names no picture", "Link1 has no \"^\": it has a caption and no address"}},
        {"a NUL byte", tag("ApplicationName", "A") + std::string(1, '\0') + tag("BranderCode", "lost"), {}, 1,
            {"a NUL byte at offset", "BranderCode = (not found)"}},
    };
    for (const Case& c : cases) {
        TempDir package;
        WriteWholeFile(package.File("plain.txt"), c.plain);
        for (const std::string& banner : c.banners)
            WriteWholeFile(package.File(banner), "picture");
        const ToolRun run = Run("check " + ShellQuote(package.File("plain.txt")));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.output;
        for (const std::string& text : c.said)
            EXPECT_NE(run.output.find(text), std::string::npos) << c.name << ": " << text << "\n" << run.output;
    }
    const ToolRun missing = Run("check " + ShellQuote(folder.File("absent.txt")));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.errors.find("absent.txt"), std::string::npos);
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
