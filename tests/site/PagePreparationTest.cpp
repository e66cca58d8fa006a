#include "site/PagePreparation.h"

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string kLine = "<?php include '/home/site/counter/main.php';?>";

std::vector<std::string> FolderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(IncludeLineTest, WrapsThePathInAPhpInclude)
{
    EXPECT_EQ(IncludeLine("/home/site/counter/main.php"), kLine);
}

struct AnswerCase {
    const char* name;
    std::string answer;
    std::optional<std::string> path;
};

class IncludePathFromAnswerTest : public testing::TestWithParam<AnswerCase> { };

TEST_P(IncludePathFromAnswerTest, GivesTheUsablePath)
{
    EXPECT_EQ(IncludePathFromAnswer(GetParam().answer), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Answers, IncludePathFromAnswerTest,
    testing::Values(AnswerCase{"Empty", "", std::nullopt}, AnswerCase{"BadPath", "BADPATH", std::nullopt},
        AnswerCase{"BadPathWithLineBreak", "BADPATH\r\n", std::nullopt},
        AnswerCase{"OnlyALineBreak", "\n/srv/main.php", std::nullopt},
        AnswerCase{"BarePath", "/srv/main.php", "/srv/main.php"},
        AnswerCase{"TrailingLf", "/srv/main.php\n", "/srv/main.php"},
        AnswerCase{"TrailingCrLf", "/srv/main.php\r\n", "/srv/main.php"},
        AnswerCase{"LoneCrInside", "/srv/a\rb.php", "/srv/a"},
        // Taken whole otherwise: blanks belong to the path, and only the exact word is refused.
        AnswerCase{"BlanksKept", " /srv/main.php ", " /srv/main.php "},
        AnswerCase{"OtherCaseIsAPath", "badpath", "badpath"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PageCase {
    const char* name;
    std::string page;
    std::string prepared;
};

class PreparePageTest : public testing::TestWithParam<PageCase> { };

TEST_P(PreparePageTest, PutsTheIncludeLineOnTopOnce)
{
    const PageCase& c = GetParam();
    const std::string once = PreparePage(c.page, kLine);
    EXPECT_EQ(once, c.prepared);
    // A second run changes nothing more.
    EXPECT_EQ(PreparePage(once, kLine), once);
}

INSTANTIATE_TEST_SUITE_P(Pages, PreparePageTest,
    testing::Values(PageCase{"AlreadyPrepared", kLine + "\r\n<html>\r\n", kLine + "\r\n<html>\r\n"},
        PageCase{"PreparedWithBlanksAround", "  " + kLine + " \r\n<html>\r\n", "  " + kLine + " \r\n<html>\r\n"},
        PageCase{"PreparedWithTabsAndLf", "\t" + kLine + "\t\n<html>", "\t" + kLine + "\t\r\n<html>\r\n"},
        PageCase{"PreparedWithNulBehind", kLine + "\0\r\n"s, kLine + "\0\r\n"s},
        PageCase{"IncludeOnSecondLine", "\r\n" + kLine + "\r\n", kLine + "\r\n\r\n" + kLine + "\r\n"},
        PageCase{"IncludeWithAnotherPath", "<?php include '/old/main.php';?>\r\nx\r\n",
            kLine + "\r\n<?php include '/old/main.php';?>\r\nx\r\n"},
        PageCase{"IncludeInOtherLetterCase", "<?PHP include '/home/site/counter/main.php';?>\r\n",
            kLine + "\r\n<?PHP include '/home/site/counter/main.php';?>\r\n"},
        PageCase{"IncludeFollowedByMore", kLine + "<html>\r\n", kLine + "\r\n" + kLine + "<html>\r\n"},
        PageCase{"LfOnly", "<html>\n<body>\n", kLine + "\r\n<html>\r\n<body>\r\n"},
        PageCase{"CrOnly", "<html>\r<body>\r", kLine + "\r\n<html>\r\n<body>\r\n"},
        PageCase{"NoFinalBreak", "<html>", kLine + "\r\n<html>\r\n"},
        PageCase{"BlankLinesKept", "a\n\n\r\n\rb", kLine + "\r\na\r\n\r\n\r\n\r\nb\r\n"}, PageCase{"Empty", "", ""},
        PageCase{"OnlyABreak", "\n", kLine + "\r\n\r\n"},
        PageCase{"NulAndHighBytes", "<p>\0\xe9\xff</p>\n\0\0"s, kLine + "\r\n<p>\0\xe9\xff</p>\r\n\0\0\r\n"s}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    bool page;
};

class IsPageFileNameTest : public testing::TestWithParam<NameCase> { };

TEST_P(IsPageFileNameTest, LooksAtTheExtensionFromTheLastDot)
{
    EXPECT_EQ(IsPageFileName(GetParam().name), GetParam().page) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, IsPageFileNameTest,
    testing::Values(NameCase{"index.php", true}, NameCase{"INDEX.PHP", true}, NameCase{"a.pHp", true},
        NameCase{".php", true}, NameCase{"a.b.php", true}, NameCase{"a.php.bak", false}, NameCase{"a.php5", false},
        NameCase{"a.phpx", false}, NameCase{"php", false}, NameCase{"a.ph", false}, NameCase{"a.", false},
        NameCase{"a_php", false}));

// A site with what a real one may hold: hidden folders, odd names, links and a link loop.
class CollectPageFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        const fs::path& root = dir_.Path();
        for (const char* folder : {".hidden/deep", "sub", "folder.php", "empty"})
            fs::create_directories(root / folder);
        for (const char* file : {"b.php", "A.PHP", "index.php.bak", "old.php5", ".php", "notes.txt",
                 ".hidden/secret.php", ".hidden/deep/d.php", "sub/s.php", "folder.php/inner.php"})
            WriteWholeFile((root / file).string(), "x");
        fs::create_directory_symlink(root, root / "sub/loop");
        fs::create_directory_symlink(root / "sub", root / "zlink");
        fs::create_symlink(root / "sub/s.php", root / "linked.php");
        fs::create_symlink(root / "nowhere.php", root / "broken.php");
        ASSERT_EQ(mkfifo((root / "pipe.php").c_str(), 0644), 0);
    }

    std::string Page(const std::string& name) const { return root() + "/" + name; }
    std::string root() const { return dir_.Path().string(); }

    TempDir dir_;
};

TEST_F(CollectPageFilesTest, WithoutSubfoldersTakesTheFolderItselfInNameOrder)
{
    EXPECT_EQ(CollectPageFiles(root(), false),
        (std::vector<std::string>{Page(".php"), Page("A.PHP"), Page("b.php"), Page("linked.php")}));
}

TEST_F(CollectPageFilesTest, WithSubfoldersGoesDepthFirstIntoHiddenFoldersAndWalksEachFolderOnce)
{
    // sub/loop leads back to the top and zlink to sub: both were walked already.
    EXPECT_EQ(CollectPageFiles(root(), true),
        (std::vector<std::string>{Page(".hidden/deep/d.php"), Page(".hidden/secret.php"), Page(".php"), Page("A.PHP"),
            Page("b.php"), Page("folder.php/inner.php"), Page("linked.php"), Page("sub/s.php")}));
}

TEST_F(CollectPageFilesTest, AFolderReachedFirstThroughALinkIsWalkedThere)
{
    fs::create_directory_symlink(dir_.Path() / "sub", dir_.Path() / "a-link");
    const std::vector<std::string> found = CollectPageFiles(root(), true);
    EXPECT_EQ(std::count(found.begin(), found.end(), Page("a-link/s.php")), 1);
    EXPECT_EQ(std::count(found.begin(), found.end(), Page("sub/s.php")), 0);
}

TEST_F(CollectPageFilesTest, WhatCannotBeListedAddsNothing)
{
    EXPECT_TRUE(CollectPageFiles(Page("missing"), true).empty());
    EXPECT_TRUE(CollectPageFiles(Page("b.php"), true).empty());
    EXPECT_TRUE(CollectPageFiles(Page("empty"), true).empty());
}

class PreparePageFileTest : public testing::Test {
protected:
    TempDir dir_;
};

TEST_F(PreparePageFileTest, RewritesThePageKeepingItsPermissions)
{
    const std::string page = dir_.File("p.php");
    WriteWholeFile(page, "<html>\n\0\xff"s);
    ASSERT_EQ(chmod(page.c_str(), 0640), 0);

    EXPECT_EQ(PreparePageFile(page, kLine), "");

    EXPECT_EQ(ReadWholeFile(page), kLine + "\r\n<html>\r\n\0\xff\r\n"s);
    struct stat info { };
    ASSERT_EQ(stat(page.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(dir_.Path()), std::vector<std::string>{"p.php"});
}

TEST_F(PreparePageFileTest, ALinkedPageIsPreparedWhereTheLinkLeadsAndStaysALink)
{
    fs::create_directory(dir_.Path() / "real");
    const std::string target = dir_.File("real/t.php");
    WriteWholeFile(target, "x");
    fs::create_symlink(target, dir_.Path() / "l.php");

    EXPECT_EQ(PreparePageFile(dir_.File("l.php"), kLine), "");

    EXPECT_TRUE(fs::is_symlink(dir_.Path() / "l.php"));
    EXPECT_EQ(ReadWholeFile(target), kLine + "\r\nx\r\n");
}

TEST_F(PreparePageFileTest, AFailedWriteNamesThePageAndLeavesItWhole)
{
    const std::string page = dir_.File("big.php");
    const std::string original(3000, 'x');
    WriteWholeFile(page, original);

    std::string error;
    {
        FileSizeLimit limit(1024);
        error = PreparePageFile(page, kLine);
    }

    EXPECT_EQ(error.rfind("Unable to write to " + page, 0), 0u) << error;
    EXPECT_EQ(ReadWholeFile(page), original);
    EXPECT_EQ(FolderEntries(dir_.Path()), std::vector<std::string>{"big.php"}) << "temporary file left behind";
}

TEST_F(PreparePageFileTest, APageThatCannotBeReadIsNamed)
{
    const std::string missing = dir_.File("gone.php");
    EXPECT_EQ(PreparePageFile(missing, kLine).rfind("Unable to read " + missing, 0), 0u);
    EXPECT_FALSE(fs::exists(missing));
}

TEST(IsExistingFolderTest, OnlyAbsoluteNamesOfExistingFolders)
{
    TempDir dir;
    WriteWholeFile(dir.File("f"), "");
    EXPECT_TRUE(IsExistingFolder(dir.Path().string()));
    EXPECT_FALSE(IsExistingFolder(dir.File("f")));
    EXPECT_FALSE(IsExistingFolder(dir.File("missing")));
    EXPECT_FALSE(IsExistingFolder(""));
    EXPECT_FALSE(IsExistingFolder("."));
}
