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

const std::string kPath = "/home/site/counter/count.php";
const std::string kLine = "<?php if (is_file('" + kPath + "')) include '" + kPath + "';?>";
const std::string kStatement = "if (\\is_file('" + kPath + "')) include '" + kPath + "';";
// What earlier runs wrote: the unguarded line, and lines for the counter's folder before it moved.
const std::string kUnguardedLine = "<?php include '" + kPath + "';?>";
const std::string kMovedLine = "<?php if (is_file('/home/site/old-counter/count.php')) include "
                               "'/home/site/old-counter/count.php';?>";
const std::string kMovedUnguardedLine = "<?php include 'C:\\site\\counter\\count.php';?>";

std::vector<std::string> FolderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(IncludeLineTest, IncludesThePathOnlyWhereItIsAFile)
{
    EXPECT_EQ(IncludeLine(kPath), kLine);
    EXPECT_EQ(IncludeStatement(kPath), kStatement);
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
        // What would break the quoted path in the line.
        AnswerCase{"Quote", "/srv/it's/count.php", std::nullopt},
        AnswerCase{"NulByte", "/srv/a\0b/count.php"s, std::nullopt},
        AnswerCase{"BackslashAtTheEnd", "C:\\site\\", std::nullopt},
        AnswerCase{"WindowsPath", "C:\\site\\count.php", "C:\\site\\count.php"},
        AnswerCase{"OtherCaseIsAPath", "badpath", "badpath"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PageCase {
    const char* name;
    std::string page;
    std::optional<std::string> prepared; // nothing: the page must be left as it is
    friend void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }
};

class PreparePageTest : public testing::TestWithParam<PageCase> { };

TEST_P(PreparePageTest, PutsTheIncludeWherePhpAllowsItOnce)
{
    const PageCase& c = GetParam();
    const PreparedPage once = PreparePage(c.page, kPath);
    EXPECT_EQ(once.leftAlone, !c.prepared.has_value());
    EXPECT_EQ(once.bytes, c.prepared.value_or(""));
    // A second run changes nothing more.
    const PreparedPage twice = PreparePage(once.leftAlone ? c.page : once.bytes, kPath);
    EXPECT_EQ(twice.leftAlone, once.leftAlone);
    EXPECT_EQ(twice.bytes, once.bytes);
}

INSTANTIATE_TEST_SUITE_P(Pages, PreparePageTest,
    testing::Values(PageCase{"AlreadyPrepared", kLine + "\r\n<html>\r\n", kLine + "\r\n<html>\r\n"},
        PageCase{"PreparedWithBlanksAround", "  " + kLine + " \r\n<html>\r\n", "  " + kLine + " \r\n<html>\r\n"},
        PageCase{"PreparedWithTabsAndLf", "\t" + kLine + "\t\n<html>", "\t" + kLine + "\t\r\n<html>\r\n"},
        PageCase{"PreparedWithNulBehind", kLine + "\0\r\n"s, kLine + "\0\r\n"s},
        PageCase{"IncludeOnSecondLine", "\r\n" + kLine + "\r\n", kLine + "\r\n\r\n" + kLine + "\r\n"},
        PageCase{"IncludeInOtherLetterCase", "<?PHP include '" + kPath + "';?>\r\n",
            kLine + "\r\n<?PHP include '" + kPath + "';?>\r\n"},
        PageCase{"IncludeFollowedByMore", kLine + "<html>\r\n", kLine + "\r\n" + kLine + "<html>\r\n"},
        PageCase{"LfOnly", "<html>\n<body>\n", kLine + "\r\n<html>\r\n<body>\r\n"},
        PageCase{"CrOnly", "<html>\r<body>\r", kLine + "\r\n<html>\r\n<body>\r\n"},
        PageCase{"NoFinalBreak", "<html>", kLine + "\r\n<html>\r\n"},
        PageCase{"BlankLinesKept", "a\n\n\r\n\rb", kLine + "\r\na\r\n\r\n\r\n\r\nb\r\n"}, PageCase{"Empty", "", ""},
        PageCase{"OnlyABreak", "\n", kLine + "\r\n\r\n"},
        PageCase{"NulAndHighBytes", "<p>\0\xe9\xff</p>\n\0\0"s, kLine + "\r\n<p>\0\xe9\xff</p>\r\n\0\0\r\n"s},
        // What earlier runs put on top: ours for this path stays, ours for a moved folder is replaced.
        PageCase{"UnguardedLineOfThisPath", kUnguardedLine + "\r\n<p>\r\n", kUnguardedLine + "\r\n<p>\r\n"},
        PageCase{"LineOfAMovedFolder", " " + kMovedLine + "\n<p>\n", kLine + "\r\n<p>\r\n"},
        PageCase{"UnguardedLineOfAMovedFolderOnWindows", kMovedUnguardedLine + "\r\n<p>\r\n", kLine + "\r\n<p>\r\n"},
        PageCase{"StaleLinesBelowOurs",
            kUnguardedLine + "\r\n" + kMovedLine + "\r\n" + kMovedUnguardedLine + "\r\n<p>\r\n",
            kUnguardedLine + "\r\n<p>\r\n"},
        PageCase{"StaleLinesOnly", kMovedLine + "\r\n" + kMovedUnguardedLine + "\r\n<p>\r\n", kLine + "\r\n<p>\r\n"},
        // The site's own includes have the same form, yet are never touched.
        PageCase{"SitesOwnRelativeInclude", "<?php include 'header.php';?>\n<p>\n",
            kLine + "\r\n<?php include 'header.php';?>\r\n<p>\r\n"},
        PageCase{"SitesOwnAbsoluteInclude", "<?php include '/home/site/lib/menu.php';?>\n",
            kLine + "\r\n<?php include '/home/site/lib/menu.php';?>\r\n"},
        PageCase{"GuardWithAnotherPathThanTheInclude", "<?php if (is_file('/a/count.php')) include '/b/count.php';?>\n",
            kLine + "\r\n<?php if (is_file('/a/count.php')) include '/b/count.php';?>\r\n"},
        // Nothing that has to come first: a declare in a comment or a text, an echo tag, a page
        // whose first block closes before any statement (PHP refuses a later declare anyway).
        PageCase{"DeclareInAComment", "<?php // declare(strict_types=1);\necho 1;\n",
            kLine + "\r\n<?php // declare(strict_types=1);\r\necho 1;\r\n"},
        PageCase{"DeclareInAHeredoc", "<?php\necho <<<EOT\ndeclare(strict_types=1);\nEOT;\n",
            kLine + "\r\n<?php\r\necho <<<EOT\r\ndeclare(strict_types=1);\r\nEOT;\r\n"},
        PageCase{"LineCommentClosesTheBlock", "<?php // note ?>\n<?php declare(strict_types=1);\n",
            kLine + "\r\n<?php // note ?>\r\n<?php declare(strict_types=1);\r\n"},
        PageCase{"EchoTag", "<?= $title ?>\n", kLine + "\r\n<?= $title ?>\r\n"},
        PageCase{"NamesThatOnlyBeginLikeKeywords", "<?php declared(); $namespace = 1;\n",
            kLine + "\r\n<?php declared(); $namespace = 1;\r\n"},
        PageCase{"Attribute", "<?php #[Pure] function f() {}\n", kLine + "\r\n<?php #[Pure] function f() {}\r\n"},
        PageCase{
            "XmlDeclaration", "<?xml version=\"1.0\"?>\n<rss/>\n", kLine + "\r\n<?xml version=\"1.0\"?>\r\n<rss/>\r\n"},
        // Pages that must begin with declare or namespace get the statement right behind them.
        PageCase{"StrictTypes", "<?php\ndeclare(strict_types=1);\n\necho 1;\n",
            "<?php\r\ndeclare(strict_types=1); " + kStatement + "\r\n\r\necho 1;\r\n"},
        PageCase{"Namespace", "<?php namespace App\\Web;\nfunction f() {}",
            "<?php namespace App\\Web; " + kStatement + "\r\nfunction f() {}\r\n"},
        PageCase{"DeclaresThenNamespace", "<?php declare(strict_types=1);\ndeclare(ticks=1);\nnamespace App;\nuse X;\n",
            "<?php declare(strict_types=1);\r\ndeclare(ticks=1);\r\nnamespace App; " + kStatement + "\r\nuse X;\r\n"},
        PageCase{"CommentsCaseAndBlanksAround",
            "<?PHP\r\n/** ?> stays inside */ # note\r\nDECLARE ( strict_types = 1 , encoding = 'UTF-8' ) ; // ?> "
            "ends\r\n",
            "<?PHP\r\n/** ?> stays inside */ # note\r\nDECLARE ( strict_types = 1 , encoding = 'UTF-8' ) ; "
                + kStatement + " // ?> ends\r\n"},
        PageCase{"LineOfOursOnTopIsMovedIn", kUnguardedLine + "\r\n<?php declare(strict_types=1);\r\necho 1;\r\n",
            "<?php declare(strict_types=1); " + kStatement + "\r\necho 1;\r\n"},
        PageCase{"StatementAlreadyOnTheNextLine", "<?php namespace A;\n  include '" + kPath + "';\n",
            "<?php namespace A;\r\n  include '" + kPath + "';\r\n"},
        PageCase{"StatementOfAMovedFolder",
            "<?php declare(strict_types=1);\n  if (\\is_file('/old/count.php')) include '/old/count.php'; echo 1;\n",
            "<?php declare(strict_types=1);\r\n  " + kStatement + " echo 1;\r\n"},
        PageCase{"SitesOwnIncludeBehindTheDeclare", "<?php declare(strict_types=1); include 'boot.php';\n",
            "<?php declare(strict_types=1); " + kStatement + " include 'boot.php';\r\n"},
        // Where the statement cannot go with certainty, nothing is written.
        PageCase{"BracedNamespace", "<?php namespace App {\n  echo 1;\n}\n", std::nullopt},
        PageCase{"GlobalBracedNamespace", "<?php namespace {\n}\n", std::nullopt},
        PageCase{"NamespaceRelativeName", "<?php namespace\\f();\n", std::nullopt},
        PageCase{"ByteOrderMark", "\xEF\xBB\xBF<?php declare(strict_types=1);\n", std::nullopt},
        PageCase{"ShebangLine", "#!/usr/bin/env php\n<?php declare(strict_types=1);\n", std::nullopt},
        PageCase{"TextBeforeTheTag", "<html>\n<?php namespace A;\n", std::nullopt},
        PageCase{"ShortTag", "<? declare(strict_types=1);\n", std::nullopt},
        PageCase{"DeclareClosesTheBlock", "<?php declare(strict_types=1) ?>\n<p>\n", std::nullopt},
        PageCase{"DeclareWithABody", "<?php declare(ticks=1) { tick(); }\n", std::nullopt},
        PageCase{"DeclareWithAlternativeSyntax", "<?php declare(ticks=1): tick(); enddeclare;\n", std::nullopt},
        PageCase{"DeclareCutShort", "<?php declare(strict_types=1)", std::nullopt},
        PageCase{"DeclareValueWithAVariable", "<?php declare(encoding=\"$x\");\n", std::nullopt},
        PageCase{"CommentClosesTheBlockInsideTheDeclare", "<?php declare(strict_types=1 // ?>\n);\n", std::nullopt},
        PageCase{"LineOfOursOnAPageWithAMark", kLine + "\r\n\xEF\xBB\xBF<?php namespace A;\r\n", std::nullopt}),
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
        for (const char* folder : {".hidden/deep", "sub", "folder.php", "empty", "counter-k7q2/deep", "CNT", "half",
                 "not-a-counter/actions.php"})
            fs::create_directories(root / folder);
        // The counter's folder in two spellings, and two that only look like it.
        for (const char* file : {"b.php", "A.PHP", "index.php.bak", "old.php5", ".php", "notes.txt",
                 ".hidden/secret.php", ".hidden/deep/d.php", "sub/s.php", "folder.php/inner.php",
                 "counter-k7q2/count.php", "counter-k7q2/actions.php", "counter-k7q2/showmainpath.php",
                 "counter-k7q2/deep/d.php", "CNT/Count.PHP", "half/count.php", "not-a-counter/count.php"})
            WriteWholeFile((root / file).string(), "x");
        fs::create_symlink(root / "sub/s.php", root / "CNT/ACTIONS.php");
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
            Page("b.php"), Page("folder.php/inner.php"), Page("half/count.php"), Page("linked.php"),
            Page("not-a-counter/count.php"), Page("sub/s.php")}));
}

TEST_F(CollectPageFilesTest, TheCountersOwnFolderIsNeverWalked)
{
    EXPECT_TRUE(IsCounterFolder(Page("counter-k7q2")));
    EXPECT_TRUE(IsCounterFolder(Page("CNT")));
    EXPECT_FALSE(IsCounterFolder(Page("half")));
    EXPECT_FALSE(IsCounterFolder(Page("not-a-counter")));
    EXPECT_FALSE(IsCounterFolder(root()));
    EXPECT_FALSE(IsCounterFolder(Page("missing")));
    // Chosen itself, it gives nothing either, with its subfolders or without.
    EXPECT_TRUE(CollectPageFiles(Page("counter-k7q2"), true).empty());
    EXPECT_TRUE(CollectPageFiles(Page("counter-k7q2"), false).empty());
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

    const PageFileResult result = PreparePageFile(page, kPath);
    EXPECT_EQ(result.error, "");
    EXPECT_FALSE(result.leftAlone);

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

    EXPECT_EQ(PreparePageFile(dir_.File("l.php"), kPath).error, "");

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
        error = PreparePageFile(page, kPath).error;
    }

    EXPECT_EQ(error.rfind("Unable to write to " + page, 0), 0u) << error;
    EXPECT_EQ(ReadWholeFile(page), original);
    EXPECT_EQ(FolderEntries(dir_.Path()), std::vector<std::string>{"big.php"}) << "temporary file left behind";
}

TEST_F(PreparePageFileTest, APageThatCannotBeReadIsNamed)
{
    const std::string missing = dir_.File("gone.php");
    EXPECT_EQ(PreparePageFile(missing, kPath).error.rfind("Unable to read " + missing, 0), 0u);
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(PreparePageFileTest, APageLeftAloneIsNotWrittenAtAll)
{
    const std::string page = dir_.File("braced.php");
    const std::string original = "<?php namespace App {\n}\n";
    WriteWholeFile(page, original);
    struct stat before { };
    ASSERT_EQ(stat(page.c_str(), &before), 0);

    const PageFileResult result = PreparePageFile(page, kPath);

    EXPECT_TRUE(result.leftAlone);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(ReadWholeFile(page), original);
    struct stat after { };
    ASSERT_EQ(stat(page.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "rewritten through a temporary file";
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(FolderEntries(dir_.Path()), std::vector<std::string>{"braced.php"});
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
