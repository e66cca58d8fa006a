#include "container/ContainerTestSupport.h"
#include "container/SevenZip.h"

#include "branding/BrandingFileKey.h"
#include "branding/SkinFile.h"
#include "support/GifWriter.h"
#include "support/Pictures.h"
#include "support/TempDir.h"
#include "support/ZipEntry.h"
#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
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
    EXPECT_NE(help.find("check PACKAGE"), std::string::npos);
    EXPECT_NE(help.find("template OUT"), std::string::npos);
    EXPECT_NE(help.find("pack [--force] PACKAGE PROGRAM_FOLDER"), std::string::npos);
    EXPECT_EQ(Run("pack --force onlyone").exitCode, 2);
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

std::string Tag(const std::string& key, const std::string& value)
{
    return "<%%" + key + "%%>" + value + "<%%/" + key + "%%>\r\n";
}

// Keys 1 to 14 that check has nothing to say about: the start of most cases below.
const std::string kSoundStart = Tag("ApplicationName", "Counter") + Tag("BranderType", "Gold")
    + Tag("AffiliateURL", "http://aff.example/?id=%%AFFILIATEID%%") + Tag("AffiliateID", "9")
    + Tag("GoldNewsBaseURL", "http://news.example/news") + Tag("GoldPublID", "4")
    + Tag("AppHelpURL", "https://help.example/");

using Files = std::map<std::string, std::string>;

TEST_F(BrandToolTest, CheckTellsEachMistakeWithWhatTheProgramDoesAndTheFix)
{
    const std::string gif = AnimatedGif(120, 30, {0xff0000, 0x00ff00});
    const std::string png = StillPicture("PNG", 200, 40);
    struct Case {
        const char* name;
        std::string plain;
        Files files; // put beside the text
        int exitCode;
        std::vector<std::string> said; // each must appear in the output
    };
    const Case cases[] = {
        {"a sound package",
            kSoundStart + Tag("AboutText", "a\nb") + Tag("Banner1", "C:\\pics\\ad.gif^http://b")
                + Tag("Banner2", "ad.png^") + Tag("Link1", "Home^http://h") + Tag("Link2", "Mail^mailto:a@b.example"),
            {{"ad.gif", gif}, {"ad.png", png}}, 0,
            {"ApplicationName = \"Counter\"", "AboutText = \"a\\r\\nb\"", "BranderCode = (not found)",
                "caption        \"Counter v2.01\"",
                "News button    shown; it asks http://news.example/news/getlastnews.php as publisher \"4\"",
                "affiliate      \"Make Money\" opens \"http://aff.example/?id=9\"",
                "banner1.dat  C:\\pics\\ad.gif, an animated GIF of 120x30", "banner2.dat  ad.png, PNG of 200x40",
                "links          2, two different ones", "No problems found."}},
        {"a key out of order", Tag("BranderType", "Gold") + ReplaceAll(kSoundStart, Tag("BranderType", "Gold"), ""), {},
            1,
            {"error: BranderType: stands before ApplicationName, which is read earlier, so the program reads it as "
             "empty. Fix: move it below ApplicationName",
                "News button    hidden", "1 error, 0 warnings: pack refuses this"}},
        {"a key written twice", Tag("BranderType", "Platinum") + kSoundStart, {}, 0,
            {"warning: BranderType: is written more than once, and the program reads only one of them: \"Gold\""}},
        {"an unclosed tag", "<%%ApplicationName%%>Counter\r\n" + Tag("BranderType", "Gold"), {}, 1,
            {"error: ApplicationName: has no closing tag <%%/ApplicationName%%>"}},
        {"gaps and a 17th entry",
            kSoundStart + Tag("Welcome1", "w") + Tag("Welcome3", "w") + Tag("Link1", "a^http://b")
                + Tag("Link2", "a^http://b") + Tag("Link17", "a^http://b") + Tag("Banner02", "x.png^http://y"),
            {}, 1,
            {"error: Welcome3: is never read: the list ends at Welcome2, which is missing or empty. Fix: number the "
             "entries from 1 without gaps.",
                "error: Link17: is never read: the program reads at most 16",
                "error: Banner02: is never read: the program looks for numbers without leading zeros. Fix: write "
                "Banner2 instead."}},
        {"no name and a tier in the wrong case", Tag("ApplicationName", "") + Tag("BranderType", "gold"), {}, 1,
            {"error: ApplicationName: is missing or empty, so the caption reads \" v2.01\"",
                "error: BranderType: \"gold\" is no tier the program knows (letter case and spaces count), so the "
                "program hides the News button and asks for no news. Fix: write Gold exactly so.",
                "caption        \" v2.01\""}},
        {"a tier without its publisher id",
            Tag("ApplicationName", "A") + Tag("BranderType", "Platinum") + Tag("PlatinumNewsBaseURL", "news.example"),
            {}, 1,
            {"error: PlatinumPublID: is empty, and BranderType Platinum needs it, so the program hides the News "
             "button",
                "warning: PlatinumNewsBaseURL: \"news.example\" does not begin with http:// or https://"}},
        {"Free with the Master news values is only a warning",
            Tag("ApplicationName", "A") + Tag("BranderType", "Free") + Tag("AffiliateURL", "http://a.example")
                + Tag("MasterNewsBaseURL", "http://n.example") + Tag("MasterPublID", "1")
                + Tag("AppHelpURL", "http://h.example"),
            {}, 0,
            {"warning: BranderType: is Free, yet MasterPublID and MasterNewsBaseURL are filled",
                "News button    shown, but it asks no news server", "0 errors, 1 warning: pack takes this as it is."}},
        {"addresses that will not open",
            Tag("ApplicationName", "A") + Tag("BranderType", "Free")
                + Tag("AffiliateURL", "http://a.example/?id=%%affiliateId%%") + Tag("AffiliateID", "7")
                + Tag("AppHelpURL", "http://h.example") + Tag("Banner1", "ad.png^ftp://b.example")
                + Tag("Link1", "Home^www.example.com") + Tag("Link2", "Spaced^http://a b") + Tag("Link3", "^http://x")
                + Tag("Link4", "caption only"),
            {{"ad.png", png}}, 1,
            {"error: AffiliateURL: holds %%affiliateId%%, which the program leaves as it is",
                "Fix: write %%AFFILIATEID%%.", "error: Banner1: \"ftp://b.example\" does not begin with http://",
                "error: Link1: \"www.example.com\" does not begin with http://, https:// or mailto:",
                "error: Link2: \"http://a b\" holds a space", "error: Link3: has no caption",
                "error: Link4: has no address, so clicking it opens nothing"}},
        {"pictures the program will not show",
            kSoundStart + Tag("Banner1", "ad.png^http://b") + Tag("Banner2", "plain.png")
                + Tag("Banner3", "^http://nameless") + Tag("Banner4", "ad.txt^http://b")
                + Tag("Banner5", "fake.gif^http://b") + Tag("Banner6", "photo.png^http://b"),
            {{"AD.PNG", png}, {"plain.png", png}, {"fake.gif", png}, {"photo.png", StillPicture("JPEG", 20, 20)},
                {"main.ico", "not an icon"}, {"skin.qss", " \r\n"}},
            1,
            {"error: Banner1: its picture ad.png is not beside the branding text (there is AD.PNG: letter case "
             "counts)",
                "warning: Banner2: has no \"^\"", "error: Banner3: names no picture",
                "error: Banner4: \"ad.txt\" ends in no extension of a picture format the program shows (",
                "error: Banner5: fake.gif does not decode as an animated GIF, the format its name says",
                "error: Banner6: photo.png does not decode as PNG",
                "error: main.ico: does not load as an icon, so the program keeps its default icon",
                "error: skin.qss: is empty, so the program keeps its built-in skin", "banner2.dat  plain.png, PNG",
                "banner6.dat  photo.png, not shown"}},
        {"a NUL byte", Tag("ApplicationName", "A") + std::string(1, '\0') + Tag("BranderCode", "lost"), {}, 1,
            {"error: (text): a NUL byte at offset", "BranderCode = (not found)"}},
    };
    for (const Case& c : cases) {
        TempDir package;
        WriteWholeFile(package.File("branding.txt"), c.plain);
        for (const auto& [name, bytes] : c.files)
            WriteWholeFile(package.File(name), bytes);
        const ToolRun run = Run("check " + ShellQuote(package.Path().string()));
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n" << run.output;
        for (const std::string& text : c.said)
            EXPECT_NE(run.output.find(text), std::string::npos) << c.name << ": " << text << "\n" << run.output;
    }
    const ToolRun missing = Run("check " + ShellQuote(folder.File("absent.txt")));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.errors.find("absent.txt"), std::string::npos);
}

TEST_F(BrandToolTest, TheTemplateChecksCleanAndIsNeverWrittenOverAnEditedText)
{
    const std::string text = folder.File("kit/branding.txt");
    const ToolRun made = Run("template " + ShellQuote(text));
    ASSERT_EQ(made.exitCode, 0) << made.errors;
    EXPECT_NE(made.output.find("tallywick-brand pack " + folder.File("kit") + " PROGRAM_FOLDER"), std::string::npos)
        << made.output;

    const ToolRun checked = Run("check " + ShellQuote(text));
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
    EXPECT_NE(checked.output.find("No problems found."), std::string::npos) << checked.output;
    // Every key is there with a value; only the ends of the three lists are not found.
    std::size_t notFound = 0;
    for (std::size_t at = checked.output.find("(not found)"); at != std::string::npos;
         at = checked.output.find("(not found)", at + 1))
        ++notFound;
    EXPECT_EQ(notFound, 3u) << checked.output;
    EXPECT_NE(checked.output.find("Welcome2 = (not found)"), std::string::npos);

    // The reseller's edits are never lost to a second template.
    WriteWholeFile(text, "edited");
    const ToolRun again = Run("template " + ShellQuote(text));
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_NE(again.errors.find("already exists"), std::string::npos) << again.errors;
    EXPECT_EQ(ReadWholeFile(text), "edited");
}

class PackTest : public BrandToolTest {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(program);
        WriteWholeFile((program / "tallywick").string(), "the program");
    }

    // A package folder with these files; returns its path.
    std::string Package(const std::string& name, const Files& files)
    {
        const std::filesystem::path path = folder.Path() / name;
        std::filesystem::create_directories(path);
        for (const auto& [file, bytes] : files)
            WriteWholeFile((path / file).string(), bytes);
        return path.string();
    }

    ToolRun Pack(const std::string& package, const std::string& options = {})
    {
        return Run("pack " + options + ShellQuote(package) + " " + ShellQuote(program.string()));
    }

    const std::filesystem::path program = folder.Path() / "program";
    const std::string png = StillPicture("PNG", 200, 40);
    const std::string gif = AnimatedGif(100, 20, {0xff0000, 0x0000ff});
    const std::string jpeg = StillPicture("JPEG", 150, 30);
};

TEST_F(PackTest, RefusalsLeaveTheProgramFolderByteForByteAsItWas)
{
    const std::string earlier = Package("earlier",
        {{"branding.txt", kSoundStart + Tag("Banner1", "a.png^http://a") + Tag("Banner2", "b.gif^http://b")},
            {"a.png", png}, {"b.gif", gif}, {"skin.qss", "QWidget { color: red; }"}});
    ASSERT_EQ(Pack(earlier).exitCode, 0);
    const auto before = FolderContents(program);
    ASSERT_EQ(before.size(), 5u); // the program, dbsettings.dat, two banners, the skin

    struct Case {
        const char* name;
        Files files;
        std::string said;
    };
    const Case cases[] = {
        {"a missing picture", {{"branding.txt", kSoundStart + Tag("Banner1", "gone.png^http://a")}},
            "error: Banner1: its picture gone.png is not beside the branding text"},
        {"a picture that does not decode as named",
            {{"branding.txt", kSoundStart + Tag("Banner1", "a.png^http://a") + Tag("Banner2", "b.gif^http://b")},
                {"a.png", png}, {"b.gif", jpeg}},
            "error: Banner2: b.gif does not decode as an animated GIF"},
        {"a gap in the numbering",
            {{"branding.txt", kSoundStart + Tag("Link1", "A^http://a") + Tag("Link3", "C^http://c")}},
            "error: Link3: is never read"},
        {"an empty name",
            {{"branding.txt", Tag("ApplicationName", "") + kSoundStart.substr(kSoundStart.find("<%%Br"))}},
            "error: ApplicationName: is missing or empty"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Pack(Package(c.name, c.files));
        EXPECT_EQ(run.exitCode, 1) << c.name << "\n" << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << c.name << "\n" << run.output;
        EXPECT_NE(run.output.find("Nothing was written to " + program.string()), std::string::npos) << run.output;
        EXPECT_EQ(FolderContents(program), before) << c.name;
    }

    // Forced, the same mistake is packed: the reseller asked for it.
    const ToolRun forced = Pack(folder.File("a gap in the numbering"), "--force ");
    EXPECT_EQ(forced.exitCode, 0) << forced.output << forced.errors;
    EXPECT_NE(FolderContents(program).at("dbsettings.dat"), before.at("dbsettings.dat"));
}

// The program reads every banner as a GIF when its folder's path holds ".gif"; pack judges the
// pictures by the path they will have there.
TEST_F(PackTest, PicturesAreJudgedWhereTheProgramWillReadThem)
{
    const std::filesystem::path gifFolder = folder.Path() / "tallywick.gif";
    std::filesystem::create_directories(gifFolder);
    WriteWholeFile((gifFolder / "tallywick").string(), "the program");
    const std::string package
        = Package("kit", {{"branding.txt", kSoundStart + Tag("Banner1", "a.png^http://a")}, {"a.png", png}});
    ASSERT_EQ(Run("check " + ShellQuote(package)).exitCode, 0);
    const ToolRun run = Run("pack " + ShellQuote(package) + " " + ShellQuote(gifFolder.string()));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("error: Banner1: a.png does not decode as an animated GIF, which the program reads "
                              "every banner as because the program folder's path holds \".gif\""),
        std::string::npos)
        << run.output;
    EXPECT_EQ(FolderContents(gifFolder).size(), 1u);
}

TEST_F(PackTest, APackOverAnEarlierOneRemovesTheBannerFilesNoEntryUses)
{
    const std::string first = Package("first",
        {{"branding.txt",
             kSoundStart + Tag("Banner1", "a.png^http://a") + Tag("Banner2", "b.gif^http://b")
                 + Tag("Banner3", "c.jpg^http://c")},
            {"a.png", png}, {"b.gif", gif}, {"c.jpg", jpeg}, {"skin.qss", "QWidget { color: red; }"},
            {"main.ico", StillPicture("ICO", 32, 32)}});
    ASSERT_EQ(Pack(first).exitCode, 0);
    EXPECT_EQ(FolderContents(program).size(), 7u);

    const std::string second
        = Package("second", {{"branding.txt", kSoundStart + Tag("Banner1", "c.jpg^http://c")}, {"c.jpg", jpeg}});
    const ToolRun run = Pack(second);
    ASSERT_EQ(run.exitCode, 0) << run.output << run.errors;
    const auto after = FolderContents(program);
    // No stale banner, no temporary: the skin and icon of the first pack stay, and say so.
    std::vector<std::string> names;
    for (const auto& [name, bytes] : after)
        names.push_back(name);
    EXPECT_EQ(
        names, (std::vector<std::string>{"banner1.dat", "dbsettings.dat", "main.ico", "mainskin.dat", "tallywick"}));
    EXPECT_EQ(after.at("banner1.dat"), jpeg);
    EXPECT_NE(run.output.find("removed banner2.dat banner3.dat"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("the mainskin.dat already in the folder, not from this package"), std::string::npos)
        << run.output;
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
