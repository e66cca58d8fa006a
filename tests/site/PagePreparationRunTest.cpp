#include "site/PagePreparationRun.h"

#include "net/HttpClient.h"
#include "site/FPrepare.h"
#include "site/PagePreparation.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include "ui/UnexpectedError.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string kPath = "/home/u/public_html/counter/count.php";
const std::string kLine = "<?php if (is_file('" + kPath + "')) include '" + kPath + "';?>";

struct ShownMessage {
    std::string text;
    MessageKind kind;
    MessageButtons buttons;
};

// What the main window showed each time it let events through.
struct Moment {
    std::string status;
    int gauge;
    int gaugeMaximum;
    bool held;
};

// The main window's side of a run: the server, the status bar, the message box and a user
// who fills in the preparation window and presses Start or Cancel.
class PagePreparationRunTest : public testing::Test {
protected:
    PagePreparationRunTest()
        : client_([] {}),
          messages_([this](const std::string& text, MessageKind kind, MessageButtons buttons) {
              shown_.push_back({text, kind, buttons});
              return true;
          }),
          run_(
              client_, settings_, messages_, nullptr, programDir_.Path().string(), nullptr, &status_, &gauge_,
              pageFiles_, [this] { Pump(); }, [this](bool hold) { holds_.push_back(hold); })
    {
        settings_.siteUrl = server_.Url("/site");
        status_.setText("Ready");
        run_.SetShowModal([this](TfrmPrepare& window) {
            ++windowsShown_;
            codeShown_ = window.edtCode->text().toStdString();
            if (!folder_)
                return static_cast<int>(QDialog::Rejected);
            window.edtFolder->setText(QString::fromStdString(*folder_));
            window.chkSubFolders->setChecked(subFolders_);
            window.btnStart->click();
            return window.result();
        });
    }

    void Pump()
    {
        moments_.push_back(
            {status_.text().toStdString(), gauge_.value(), gauge_.maximum(), !holds_.empty() && holds_.back()});
        if (onPump_)
            onPump_();
    }

    void AnswerPath(std::string body) { server_.Answer("/site/showmainpath.php", ServerAnswer::Text(std::move(body))); }

    std::string Site(const std::string& name) const { return site_.File(name); }

    RecordingServer server_;
    TempDir programDir_;
    TempDir site_;
    ServerSettings settings_;
    net::HttpClient client_;
    std::vector<ShownMessage> shown_;
    TMessageBox messages_;
    QLabel status_;
    QProgressBar gauge_;
    std::vector<std::string> pageFiles_{"left from the last run"};
    std::vector<bool> holds_;
    std::vector<Moment> moments_;
    std::function<void()> onPump_;
    std::optional<std::string> folder_; // nothing: the user presses Cancel
    bool subFolders_ = false;
    int windowsShown_ = 0;
    std::string codeShown_;
    TPagePreparation run_;
};

TEST_F(PagePreparationRunTest, GetIncludePathAsksTheSiteAndGivesTheBodyWhole)
{
    AnswerPath(" " + kPath + "\n");
    EXPECT_EQ(run_.GetIncludePath(), " " + kPath + "\n");
    ASSERT_EQ(server_.RequestCount(), 1u);
    EXPECT_EQ(server_.LastRequest().method, "GET");
    EXPECT_EQ(server_.LastRequest().path, "/site/showmainpath.php");
}

TEST_F(PagePreparationRunTest, GetIncludePathGivesNothingWhenTheRequestFails)
{
    AnswerPath("never used");
    settings_.siteUrl = server_.Url("/elsewhere");
    EXPECT_EQ(run_.GetIncludePath(), "");
}

struct BadAnswer {
    const char* name;
    std::optional<std::string> body; // nothing: 404
};

class NoIncludePathTest : public PagePreparationRunTest, public testing::WithParamInterface<BadAnswer> { };

TEST_P(NoIncludePathTest, SaysSoAndDoesNothingElse)
{
    if (GetParam().body)
        AnswerPath(*GetParam().body);
    WriteWholeFile(Site("a.php"), "a\n");
    folder_ = site_.Path().string();

    run_.Run();

    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].text, "There is a problem to get the Code to Insert, please verify your settings.");
    EXPECT_EQ(shown_[0].kind, MessageKind::Information);
    EXPECT_EQ(shown_[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(windowsShown_, 0);
    EXPECT_TRUE(pageFiles_.empty());
    EXPECT_EQ(status_.text(), "Ready");
    EXPECT_TRUE(holds_.empty());
    EXPECT_EQ(ReadWholeFile(Site("a.php")), "a\n");
}

INSTANTIATE_TEST_SUITE_P(Answers, NoIncludePathTest,
    testing::Values(BadAnswer{"NotFound", std::nullopt}, BadAnswer{"Empty", ""}, BadAnswer{"BadPath", "BADPATH"},
        BadAnswer{"BadPathWithBreak", "BADPATH\n"}, BadAnswer{"OnlyABreak", "\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PagePreparationRunTest, APathWithATrailingLineBreakGivesAWholeIncludeLine)
{
    AnswerPath(kPath + "\r\n");
    WriteWholeFile(Site("a.php"), "<html>\n");
    folder_ = site_.Path().string();

    run_.Run();

    EXPECT_EQ(codeShown_, kLine);
    EXPECT_EQ(ReadWholeFile(Site("a.php")), kLine + "\r\n<html>\r\n");
}

TEST_F(PagePreparationRunTest, CancelTouchesNothing)
{
    AnswerPath(kPath);
    WriteWholeFile(Site("a.php"), "a\n");

    run_.Run();

    EXPECT_EQ(windowsShown_, 1);
    EXPECT_EQ(codeShown_, kLine);
    EXPECT_TRUE(shown_.empty());
    EXPECT_TRUE(pageFiles_.empty());
    EXPECT_EQ(status_.text(), "Ready");
    EXPECT_TRUE(holds_.empty());
    EXPECT_EQ(ReadWholeFile(Site("a.php")), "a\n");
}

TEST_F(PagePreparationRunTest, PreparesEveryPageAndShowsHowFarItGot)
{
    AnswerPath(kPath);
    fs::create_directories(site_.Path() / ".cache");
    const std::vector<std::pair<std::string, std::string>> pages = {
        {".cache/c.php", "<?php echo 1;\n"},
        {"a.php", ""},
        {"b.PHP", "  " + kLine + "\t\r\n<p>\0\xfe</p>"s},
        {"d.php", "x\ry"},
    };
    for (const auto& [name, bytes] : pages)
        WriteWholeFile(Site(name), bytes);
    WriteWholeFile(Site("e.php.bak"), "keep\n");
    folder_ = site_.Path().string();
    subFolders_ = true;
    // At each step the page about to be done is untouched and the one before it done.
    std::vector<std::string> untouchedWhenReached;
    onPump_ = [&] {
        const Moment& now = moments_.back();
        if (now.gauge >= 1 && now.status == "Preparing Pages..." && now.gauge <= 4)
            untouchedWhenReached.push_back(ReadWholeFile(Site(pages[static_cast<size_t>(now.gauge - 1)].first)));
    };

    run_.Run();

    const std::vector<std::string> expectedPaths = {Site(".cache/c.php"), Site("a.php"), Site("b.PHP"), Site("d.php")};
    EXPECT_EQ(pageFiles_, expectedPaths);
    EXPECT_EQ(ReadWholeFile(Site(".cache/c.php")), kLine + "\r\n<?php echo 1;\r\n");
    EXPECT_EQ(ReadWholeFile(Site("a.php")), "");
    EXPECT_EQ(ReadWholeFile(Site("b.PHP")), "  " + kLine + "\t\r\n<p>\0\xfe</p>\r\n"s);
    EXPECT_EQ(ReadWholeFile(Site("d.php")), kLine + "\r\nx\r\ny\r\n");
    EXPECT_EQ(ReadWholeFile(Site("e.php.bak")), "keep\n");
    EXPECT_EQ(untouchedWhenReached,
        (std::vector<std::string>{pages[0].second, pages[1].second, pages[2].second, pages[3].second}));

    ASSERT_EQ(moments_.size(), 6u);
    EXPECT_EQ(moments_.front().status, "Preparing Pages...");
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(moments_[static_cast<size_t>(n)].gauge, n);
        EXPECT_EQ(moments_[static_cast<size_t>(n)].gaugeMaximum, 4);
    }
    EXPECT_EQ(moments_.back().status, "Process Completed: 4 files modified");
    for (const Moment& moment : moments_)
        EXPECT_TRUE(moment.held) << "commands were free while the pages were worked on";
    EXPECT_EQ(holds_, (std::vector<bool>{true, false}));
    EXPECT_EQ(status_.text(), "Process Completed: 4 files modified");
    EXPECT_EQ(gauge_.value(), 4);
    EXPECT_TRUE(shown_.empty());

    // A second run finds the same pages, counts them again and adds nothing.
    onPump_ = nullptr;
    std::vector<std::string> once;
    for (const std::string& path : expectedPaths)
        once.push_back(ReadWholeFile(path));
    run_.Run();
    EXPECT_EQ(pageFiles_, expectedPaths);
    EXPECT_EQ(status_.text(), "Process Completed: 4 files modified");
    for (size_t i = 0; i < expectedPaths.size(); ++i)
        EXPECT_EQ(ReadWholeFile(expectedPaths[i]), once[i]) << expectedPaths[i];
}

TEST_F(PagePreparationRunTest, WithoutSubfoldersOnlyTheFolderItself)
{
    AnswerPath(kPath);
    fs::create_directories(site_.Path() / ".hidden");
    WriteWholeFile(Site("a.php"), "a");
    WriteWholeFile(Site(".hidden/h.php"), "h");
    folder_ = site_.Path().string();

    run_.Run();

    EXPECT_EQ(pageFiles_, std::vector<std::string>{Site("a.php")});
    EXPECT_EQ(ReadWholeFile(Site(".hidden/h.php")), "h");
    EXPECT_EQ(status_.text(), "Process Completed: 1 files modified");
}

TEST_F(PagePreparationRunTest, AFolderWithoutPagesCompletesWithZero)
{
    AnswerPath(kPath);
    folder_ = site_.Path().string();

    run_.Run();

    EXPECT_TRUE(pageFiles_.empty());
    EXPECT_EQ(status_.text(), "Process Completed: 0 files modified");
    EXPECT_EQ(gauge_.value(), 0);
    EXPECT_GT(gauge_.maximum(), gauge_.minimum()) << "an empty range makes the bar spin as if still busy";
}

TEST_F(PagePreparationRunTest, AnotherRunPressedMeanwhileDoesNothing)
{
    AnswerPath(kPath);
    WriteWholeFile(Site("a.php"), "a");
    folder_ = site_.Path().string();
    int nested = 0;
    onPump_ = [&] {
        if (nested++ == 0)
            run_.Run();
    };

    run_.Run();

    EXPECT_EQ(server_.RequestCount(), 1u);
    EXPECT_EQ(pageFiles_, std::vector<std::string>{Site("a.php")});
    EXPECT_EQ(ReadWholeFile(Site("a.php")), kLine + "\r\na\r\n");
}

// A mirrored site as owners keep it: the counter's folder inside, and pages that must begin
// with declare or namespace.
class SiteWithTheCounterTest : public PagePreparationRunTest {
protected:
    void SetUp() override
    {
        AnswerPath(kPath);
        for (const char* folder : {"counter", "blog"})
            fs::create_directories(site_.Path() / folder);
        for (const auto& [name, bytes] : scripts_)
            WriteWholeFile(Site(name), bytes);
        WriteWholeFile(Site("index.php"), "<p>home</p>\n");
        WriteWholeFile(Site("blog/strict.php"), "<?php\ndeclare(strict_types=1);\necho 1;\n");
        for (const auto& [name, bytes] : leftAlone_)
            WriteWholeFile(Site(name), bytes);
        folder_ = site_.Path().string();
        subFolders_ = true;
    }

    void ExpectUntouched()
    {
        for (const auto& [name, bytes] : scripts_)
            EXPECT_EQ(ReadWholeFile(Site(name)), bytes) << name;
        for (const auto& [name, bytes] : leftAlone_)
            EXPECT_EQ(ReadWholeFile(Site(name)), bytes) << name;
    }

    const std::vector<std::pair<std::string, std::string>> scripts_ = {{"counter/count.php", "<?php\nnamespace C;\n"},
        {"counter/actions.php", "<?php\ndeclare(strict_types=1);\n"}, {"counter/showmainpath.php", "<?php\n"}};
    const std::vector<std::pair<std::string, std::string>> leftAlone_
        = {{"blog/braced.php", "<?php\nnamespace Blog {\n}\n"}, {"marked.php", "\xEF\xBB\xBF<?php namespace A;\n"}};
};

TEST_F(SiteWithTheCounterTest, SkipsTheCountersFolderAndNamesThePagesLeftAlone)
{
    run_.Run();

    ExpectUntouched();
    EXPECT_EQ(ReadWholeFile(Site("index.php")), kLine + "\r\n<p>home</p>\r\n");
    EXPECT_EQ(ReadWholeFile(Site("blog/strict.php")),
        "<?php\r\ndeclare(strict_types=1); if (\\is_file('" + kPath + "')) include '" + kPath + "';\r\necho 1;\r\n");
    EXPECT_EQ(pageFiles_,
        (std::vector<std::string>{
            Site("blog/braced.php"), Site("blog/strict.php"), Site("index.php"), Site("marked.php")}));
    EXPECT_EQ(status_.text(), "Process Completed: 2 files modified");
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].kind, MessageKind::Information);
    EXPECT_EQ(shown_[0].buttons, MessageButtons::Ok);
    const std::string& text = shown_[0].text;
    EXPECT_NE(text.find("\nblog/braced.php\nmarked.php\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("strict.php"), std::string::npos) << text;
    const std::string statement = "if (\\is_file('" + kPath + "')) include '" + kPath + "';";
    EXPECT_EQ(text.substr(text.size() - statement.size()), statement) << text;
    EXPECT_EQ(moments_.back().status, "Process Completed: 2 files modified") << "the message comes after the count";

    // The next run finds everything in place and says the same.
    shown_.clear();
    const std::string strict = ReadWholeFile(Site("blog/strict.php"));
    run_.Run();
    EXPECT_EQ(ReadWholeFile(Site("blog/strict.php")), strict);
    EXPECT_EQ(status_.text(), "Process Completed: 2 files modified");
    EXPECT_EQ(shown_.size(), 1u);
    ExpectUntouched();
}

TEST_F(SiteWithTheCounterTest, TheCountersFolderChosenItselfWritesNothingAndSaysWhy)
{
    folder_ = Site("counter");

    run_.Run();

    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_NE(shown_[0].text.find("counter's own scripts"), std::string::npos) << shown_[0].text;
    EXPECT_EQ(shown_[0].kind, MessageKind::Information);
    EXPECT_EQ(shown_[0].buttons, MessageButtons::Ok);
    ExpectUntouched();
    EXPECT_EQ(status_.text(), "Ready");
    EXPECT_TRUE(holds_.empty());
}

TEST_F(SiteWithTheCounterTest, ALongListNamesTwentyPagesAndCountsTheRest)
{
    for (int n = 0; n < 25; ++n)
        WriteWholeFile(Site("blog/n" + std::to_string(100 + n) + ".php"), "<?php namespace N {\n}\n");

    run_.Run();

    ASSERT_EQ(shown_.size(), 1u);
    const std::string& text = shown_[0].text;
    EXPECT_NE(text.find("blog/n118.php\n... and 7 more\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("n119"), std::string::npos) << text;
}

// What a run killed in the middle of a page write leaves, and what the next run does with it.
class LeftoverTest : public PagePreparationRunTest {
protected:
    void SetUp() override
    {
        AnswerPath(kPath);
        fs::create_directories(site_.Path() / "sub");
        WriteWholeFile(Site("index.php"), page_);
        WriteWholeFile(Site("sub/s.php"), page_);
        for (const char* page : {"index.php", "sub/s.php"})
            ASSERT_TRUE(KilledWhileWriting([&] { PreparePageFile(Site(page), kPath); }));
        // Near misses: names that are not exactly our temporary's, and things that are not files.
        for (const char* name : {".index.php.tallywick-Q1w2E", "index.php.tallywick-Q1w2E3",
                 ".notes.txt.tallywick-Q1w2E3", ".index.php.Q1w2E3", ".index.php.tallywick-Q1w2E3.bak"})
            WriteWholeFile(Site(name), "the user's");
        fs::create_directory(site_.Path() / ".b.php.tallywick-Q1w2E3");
        fs::create_symlink(Site("index.php"), site_.Path() / ".c.php.tallywick-Q1w2E3");
        folder_ = site_.Path().string();
    }

    std::vector<std::string> Leftovers(const fs::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().find(".php.tallywick-") != std::string::npos)
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    const std::vector<std::string> nearMisses_{".b.php.tallywick-Q1w2E3", ".c.php.tallywick-Q1w2E3",
        ".index.php.tallywick-Q1w2E", ".index.php.tallywick-Q1w2E3.bak", "index.php.tallywick-Q1w2E3"};
    const std::string page_ = "<?php $password = 'secret'; ?>\n" + std::string(3000, 'x') + "\n";
};

TEST_F(LeftoverTest, AKilledWriteLeavesTheSourceBesideThePage)
{
    EXPECT_EQ(ReadWholeFile(Site("index.php")), page_);
    std::vector<std::string> ours;
    for (const std::string& name : Leftovers(site_.Path()))
        if (std::find(nearMisses_.begin(), nearMisses_.end(), name) == nearMisses_.end())
            ours.push_back(name);
    ASSERT_EQ(ours.size(), 1u);
    EXPECT_EQ(ReadWholeFile(Site(ours[0])).substr(0, kLine.size()), kLine);
}

TEST_F(LeftoverTest, TheNextRunRemovesThemInTheFoldersItWalksBeforeWritingAnyPage)
{
    std::vector<std::string> atFirstPage;
    std::string firstPageThen;
    onPump_ = [&] {
        if (moments_.back().gauge == 1 && atFirstPage.empty()) {
            atFirstPage = Leftovers(site_.Path());
            firstPageThen = ReadWholeFile(Site("index.php"));
        }
    };

    run_.Run(); // without subfolders: sub/ is not walked and keeps its leftover

    EXPECT_EQ(atFirstPage, nearMisses_);
    EXPECT_EQ(firstPageThen, page_) << "a page was written before the leftovers went";
    EXPECT_EQ(Leftovers(site_.Path()), nearMisses_);
    EXPECT_EQ(Leftovers(site_.Path() / "sub").size(), 1u);
    for (const char* name : {".index.php.tallywick-Q1w2E", "index.php.tallywick-Q1w2E3", ".notes.txt.tallywick-Q1w2E3",
             ".index.php.Q1w2E3", ".index.php.tallywick-Q1w2E3.bak"})
        EXPECT_EQ(ReadWholeFile(Site(name)), "the user's") << name;
    EXPECT_EQ(ReadWholeFile(Site("index.php")), PreparePage(page_, kPath).bytes);

    subFolders_ = true;
    run_.Run();
    EXPECT_TRUE(Leftovers(site_.Path() / "sub").empty());
    EXPECT_EQ(Leftovers(site_.Path()), nearMisses_);
    EXPECT_EQ(status_.text(), "Process Completed: 2 files modified");
}

class FailedWriteTest : public PagePreparationRunTest {
protected:
    void SetUp() override
    {
        AnswerPath(kPath);
        WriteWholeFile(Site("1.php"), "one\n");
        WriteWholeFile(Site("2.php"), big_);
        WriteWholeFile(Site("3.php"), "three\n");
        folder_ = site_.Path().string();
    }

    void ExpectStoppedAtTheSecondPage()
    {
        EXPECT_EQ(ReadWholeFile(Site("1.php")), kLine + "\r\none\r\n");
        EXPECT_EQ(ReadWholeFile(Site("2.php")), big_);
        EXPECT_EQ(ReadWholeFile(Site("3.php")), "three\n");
        EXPECT_EQ(status_.text(), "Preparing Pages...");
        EXPECT_EQ(gauge_.value(), 2);
        EXPECT_EQ(holds_, (std::vector<bool>{true, false})) << "commands must come back after a failure";
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(site_.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"1.php", "2.php", "3.php"})) << "temporary file left behind";
    }

    // The run's error text, empty when it ended without one.
    std::string RunAndCatch()
    {
        try {
            run_.Run();
        } catch (const std::runtime_error& failure) {
            return failure.what();
        }
        return {};
    }

    const std::string big_ = std::string(4000, 'x') + "\n";
};

TEST_F(FailedWriteTest, StopsAtThePageAndNamesIt)
{
    std::string error;
    {
        FileSizeLimit limit(1024);
        error = RunAndCatch();
    }
    EXPECT_EQ(error.rfind("Unable to write to " + Site("2.php"), 0), 0u) << error;
    ExpectStoppedAtTheSecondPage();
}

TEST_F(FailedWriteTest, APageItsOwnerMayNotWriteStopsTheRunThere)
{
    fs::permissions(Site("2.php"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string error = RunAndCatch();
    EXPECT_EQ(error.rfind("Unable to write to " + Site("2.php"), 0), 0u) << error;
    ExpectStoppedAtTheSecondPage();
    EXPECT_EQ(fs::status(Site("2.php")).permissions() & fs::perms::all,
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(FailedWriteTest, FromAButtonTheErrorReachesTheUnexpectedErrorHandler)
{
    QPushButton button;
    // Wired as the main window wires its commands.
    QObject::connect(&button, &QPushButton::clicked, [this] { RunGuarded([this] { run_.Run(); }); });
    UnexpectedErrorsSeen().clear();
    {
        FileSizeLimit limit(1024);
        // Queued, so the click travels through the application's event dispatch as a real one does.
        QMetaObject::invokeMethod(
            &button, [&button] { button.click(); }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(UnexpectedErrorsSeen().size(), 1u);
    EXPECT_NE(UnexpectedErrorsSeen()[0].find("An unexpected error occurred:\nUnable to write to " + Site("2.php")),
        std::string::npos)
        << UnexpectedErrorsSeen()[0];
    ExpectStoppedAtTheSecondPage();
}

} // namespace
