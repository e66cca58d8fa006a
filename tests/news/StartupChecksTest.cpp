#include "news/NewsCommands.h"
#include "news/NewsFixture.h"
#include "ui/LinkListView.h"
#include "ui/MessageHint.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const char* kTwoPages = R"("17","/index.php","250"^"18","/contact.php","12"^OK)";

const std::vector<std::string> kAllSteps{"POST /news/getlastnews.php lastcode",
    "GET /liveupdate/tallywick/mainappupdate.inf", "POST /counter/actions.php 1", "POST /counter/actions.php 3"};

// The main window started as the program starts it, against the one loopback server.
class Startup : public BrandedWindow {
protected:
    Startup()
    {
        PublishVersion("[APPLICATION]\r\nVersion=2.01\r\n");
        server.Answer("/counter/actions.php", [](const RecordedRequest& request) {
            return ServerAnswer::Text(FieldOf(request, "action") == "1" ? "OK" : kTwoPages);
        });
    }

    // Shows the window and waits until the checks have run and their last request is over.
    std::unique_ptr<TfrmMain> Start(const BrandingInfo& branding, std::size_t requests)
    {
        auto window = Open(branding, true);
        window->show();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return server.RequestCount() >= requests && window->btnRevfreshSegments->isEnabled(); }, 20000));
        EXPECT_FALSE(window->Timer1->isActive());
        return window;
    }

    // Each request as its method and script and, for forms, the field that tells them apart.
    std::vector<std::string> Steps() const
    {
        std::vector<std::string> steps;
        for (const RecordedRequest& request : server.Requests()) {
            std::string step = request.method + " " + request.path;
            if (request.path == "/news/getlastnews.php")
                step += " " + FieldOf(request, "conttype");
            if (request.path == "/counter/actions.php")
                step += " " + FieldOf(request, "action");
            steps.push_back(step);
        }
        return steps;
    }

    static QPoint NewsButtonCentre(const TfrmMain& window)
    {
        const QRect button = window.btnNews->geometry();
        return window.mapToGlobal(QPoint(button.left() + button.width() / 2, button.top() + button.height() / 2));
    }
};

struct NewsAnswerCase {
    const char* name;
    ServerAnswer answer;
};

void PrintTo(const NewsAnswerCase& value, std::ostream* out)
{
    *out << value.name;
}

class StartupWhateverTheNewsServerSays : public Startup, public testing::WithParamInterface<NewsAnswerCase> { };

} // namespace

TEST_P(StartupWhateverTheNewsServerSays, RunsTheThreeChecksInOrder)
{
    AnswerNews("getlastnews.php", GetParam().answer);
    auto window = Start(Branding("Gold"), kAllSteps.size());
    EXPECT_EQ(Steps(), kAllSteps);
    EXPECT_EQ(server.Requests()[0].Fields(),
        (FieldList{{"memusername", "pub-7"}, {"prodcode", "TW-100"}, {"prodtype", "BG"}, {"conttype", "lastcode"},
            {"newstarget", "UA"}, {"something", ""}}));
    EXPECT_EQ(window->lvwPages->RowCount(), 2);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(window->LMDMessageHint1->IsShowing());
}

INSTANTIATE_TEST_SUITE_P(Answers, StartupWhateverTheNewsServerSays,
    testing::Values(NewsAnswerCase{"Reset", ServerAnswer::Reset()},
        NewsAnswerCase{"ErrorWord", ServerAnswer::Text("INVALIDUSER")},
        NewsAnswerCase{"ServerError", ServerAnswer::Text("42^News\xAFOK", 500)},
        NewsAnswerCase{"NotFound", ServerAnswer::Text("Not Found", 404)},
        NewsAnswerCase{"OkAlone", ServerAnswer::Text("OK")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Startup, WithoutANewsTierTheUpdateAndServerChecksStillRun)
{
    auto window = Start(Branding("Free"), 3);
    EXPECT_EQ(Steps(), std::vector<std::string>(kAllSteps.begin() + 1, kAllSteps.end()));
}

TEST_F(Startup, AFailedServerCheckLoadsNoPages)
{
    server.Answer("/counter/actions.php", ServerAnswer::Text("BAD"));
    auto window = Start(Branding("Free"), 2);
    QTest::qWait(100);
    EXPECT_EQ(Steps(), std::vector<std::string>(kAllSteps.begin() + 1, kAllSteps.end() - 1));
    EXPECT_TRUE(messages.empty());
}

TEST_F(Startup, AProgramDirectoryWithoutWriteAccessGoesOnToTheServerCheck)
{
    programDirectory = folder.File("not-there");
    UnexpectedErrorsSeen().clear();
    auto window = Start(Branding("Free"), 2);
    EXPECT_EQ(Steps(), std::vector<std::string>(kAllSteps.begin() + 2, kAllSteps.end()));
    EXPECT_TRUE(UnexpectedErrorsSeen().empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Startup, TheCommandsAreHeldBackWhileAStartupRequestRuns)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text("OK").After(std::chrono::milliseconds(500)));
    bool sawNewsRequestRunning = false;
    bool commandsHeldBack = true;
    std::unique_ptr<TfrmMain> window;
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (server.RequestCount() != 1 || !window)
            return;
        sawNewsRequestRunning = true;
        for (QWidget* command : std::initializer_list<QWidget*>{
                 window->btnNews, window->bsSkinSpeedButton1, window->btnRevfreshSegments, window->btnSimple})
            commandsHeldBack = commandsHeldBack && !command->isEnabled();
    });
    watch.start();
    window = Open(Branding("Master"), true);
    window->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.RequestCount() >= 4 && window->btnNews->isEnabled(); }, 20000));
    watch.stop();
    EXPECT_TRUE(sawNewsRequestRunning);
    EXPECT_TRUE(commandsHeldBack);
}

TEST_F(Startup, RunsOnceEvenWhenTheTimerOrTheWelcomeButtonComesAgain)
{
    auto window = Start(Branding("Master"), kAllSteps.size());
    window->Timer1Timer();
    window->WelcomeText = "<p>Welcome</p>";
    window->bsSkinButton1Click();
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Timer1->isActive(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(Steps(), kAllSteps);
}

// The updater must replace the program's files: once the window has closed for it, no check
// may keep the program alive waiting for a server.
TEST_F(Startup, AnAcceptedUpdateEndsTheChecksAndADeclinedOneGoesOn)
{
    PublishVersion("[APPLICATION]\r\nVersion=2.5\r\n");
    WriteWholeFile(folder.File("Updater.exe"), "#!/bin/sh\n");
    {
        auto window = Start(Branding("Free"), 1);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(launcher.startedWith.size(), 1u);
        EXPECT_FALSE(window->isVisible());
        QTest::qWait(100);
        EXPECT_EQ(Steps(), std::vector<std::string>{kAllSteps[1]});
    }
    answers = {true, false};
    auto window = Start(Branding("Free"), 4);
    EXPECT_EQ(launcher.startedWith.size(), 1u);
    EXPECT_TRUE(window->isVisible());
    const std::vector<std::string> steps = Steps();
    EXPECT_EQ(std::vector<std::string>(steps.begin() + 1, steps.end()),
        std::vector<std::string>(kAllSteps.begin() + 1, kAllSteps.end()));
}

namespace {

struct BalloonCase {
    const char* name;
    std::string reply;
    std::string stored;
    bool shown;
};

void PrintTo(const BalloonCase& value, std::ostream* out)
{
    *out << Shown(value.reply) << " after " << Shown(value.stored);
}

class StartupBalloon : public Startup, public testing::WithParamInterface<BalloonCase> { };

} // namespace

TEST_P(StartupBalloon, ShowsOnlyForAnIdAboveTheOneReadLast)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text(GetParam().reply));
    storedNewsId = GetParam().stored;
    auto window = Start(Branding("Master"), kAllSteps.size());
    EXPECT_EQ(window->LMDMessageHint1->IsShowing(), GetParam().shown);
    if (GetParam().shown) {
        EXPECT_EQ(window->LMDMessageHint1->Text().left(23), "You've Got A Message!\r\n");
        EXPECT_EQ(window->LMDMessageHint1->TipPoint(), NewsButtonCentre(*window));
    }
    EXPECT_TRUE(writtenNewsIds.empty());
    EXPECT_EQ(storedNewsId, GetParam().stored);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Steps(), kAllSteps);
}

INSTANTIATE_TEST_SUITE_P(Ids, StartupBalloon,
    testing::Values(BalloonCase{"NothingStored", "5^Hello\xAFOK", "", true},
        BalloonCase{"SameId", "5^Hello\xAFOK", "5", false}, BalloonCase{"OneAbove", "5^Hello\xAFOK", "4", true},
        BalloonCase{"BelowStored", "5^Hello\xAFOK", "12", false}, BalloonCase{"OkAlone", "OK", "", false},
        BalloonCase{"OkAloneNegativeStored", "OK", "-1", true},
        BalloonCase{"StoredNotANumber", "6^T\xAFOK", "six", true},
        BalloonCase{"IdNotANumber", "six^T\xAFOK", "", false},
        BalloonCase{"IdBeyond32Bits", "99999999999^T\xAFOK", "5", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Startup, TheBalloonHoldsTheTitleAsItsSecondLine)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text("42^Autumn prices\xAFOK"));
    auto window = Start(Branding("Platinum"), kAllSteps.size());
    EXPECT_EQ(window->LMDMessageHint1->Text(), "You've Got A Message!\r\nAutumn prices");
    QTest::keyClick(window.get(), Qt::Key_Shift);
    EXPECT_FALSE(window->LMDMessageHint1->IsShowing());
}

TEST_F(Startup, NoCheckRunsWhileAWelcomePageIsOpen)
{
    welcomeText = "<p>Welcome to Counter Pro</p>";
    auto window = Open(Branding("Master"), true);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(400);
    EXPECT_EQ(server.RequestCount(), 0u);
    EXPECT_FALSE(window->Timer1->isActive());

    window->bsSkinButton1->click();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return server.RequestCount() >= kAllSteps.size() && window->btnRevfreshSegments->isEnabled(); }, 20000));
    EXPECT_EQ(Steps(), kAllSteps);
}
