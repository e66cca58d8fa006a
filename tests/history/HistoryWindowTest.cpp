#include "history/FHistory.h"
#include "shell/FMain.h"
#include "stats/ListCommands.h"
#include "stats/Statistics.h"
#include "support/FakeLauncher.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"
#include "ui/BarChart.h"
#include "ui/LinkListView.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace std::chrono_literals;

namespace {

// 2025-03-31T10:30Z, half past noon in Berlin: the last 30 days run from 2 March, the 30
// before them from 31 January, and Berlin went to summer time on 30 March.
constexpr std::int64_t kNow = 1743417000;
constexpr std::int64_t kThisHour = 1743415200;
constexpr std::int64_t kJanuary31 = 1738278000; // local midnight
constexpr std::int64_t kMarch30 = 1743289200; // local midnight, a day of 23 hours
constexpr std::int64_t kMarch1 = 1740783600; // local midnight
constexpr std::int64_t kHour = 3600;

const char* kThreePages = R"("17","/a.php","1"^"18","/b.php","2"^"20","/c.php","3"^OK)";

std::string FieldOf(const RecordedRequest& request, const std::string& name)
{
    for (const auto& [field, value] : request.Fields())
        if (field == name)
            return value;
    return {};
}

std::string Record(std::int64_t hour, std::int64_t hits)
{
    return "\"" + std::to_string(hour) + "\",\"" + std::to_string(hits) + "\"";
}

FieldList HistoryForm(const std::string& pageCodes, std::int64_t fromHour, std::int64_t toHour)
{
    return {{"action", "5"}, {"pagecods", pageCodes}, {"fromhour", std::to_string(fromHour)},
        {"tohour", std::to_string(toHour)}, {"end", ""}};
}

class History : public testing::Test {
protected:
    History()
        : locale_(QLocale())
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        AppContext context;
        context.programDirectory = folder.Path().string();
        context.launcher = &launcher;
        context.messageResponder = [this](const std::string& text, MessageKind, MessageButtons) {
            messages.push_back(text);
            return true;
        };
        context.showModal = [this](QDialog& dialog) {
            auto& window = dynamic_cast<TfrmHistory&>(dialog);
            window.show();
            if (waitForLoad) {
                EXPECT_TRUE(QTest::qWaitFor([&] { return window.Loaded(); }, 10000));
            }
            if (look)
                look(window);
            window.reject();
            return window.result();
        };
        context.chooseSaveFile = [this](QWidget*, const std::string&, const std::string& suggested) {
            suggestedPath = suggested;
            return savePath;
        };
        context.clock = [] { return kNow; };
        context.timeZone = "Europe/Berlin";
        window = std::make_unique<TfrmMain>(std::move(context));
        window->Timer1->stop();
        window->ServerSettings.siteUrl = server.Url();
        answers["3"] = ServerAnswer::Text(kThreePages);
        answers["4"] = ServerAnswer::Text("OK");
        server.Answer("/actions.php", [this](const RecordedRequest& request) {
            const std::string action = FieldOf(request, "action");
            const auto answer = answers.find(action == "5" ? "5:" + FieldOf(request, "pagecods") : action);
            return answer == answers.end() ? ServerAnswer::Text("BADREQUEST") : answer->second;
        });
    }
    ~History() override { QLocale::setDefault(locale_); }

    // Opens the History window from its button; `check` looks at it once it has loaded.
    void OpenHistory(std::function<void(TfrmHistory&)> check)
    {
        look = std::move(check);
        window->btnHistory->click();
        look = nullptr;
    }

    std::vector<FieldList> HistoryRequests() const
    {
        std::vector<FieldList> forms;
        for (const RecordedRequest& request : server.Requests())
            if (FieldOf(request, "action") == "5")
                forms.push_back(request.Fields());
        return forms;
    }

    int RowOf(const std::string& caption) const
    {
        for (int i = 0; i < window->lvwPages->RowCount(); ++i)
            if (window->lvwPages->Cell(i, 0) == caption)
                return i;
        return -1;
    }

    std::vector<std::int64_t> HitsColumn(const TfrmHistory& history) const
    {
        std::vector<std::int64_t> hits;
        for (const HistoryRow& row : history.Table().rows)
            hits.push_back(row.hits);
        return hits;
    }

    TempDir folder;
    RecordingServer server;
    FakeLauncher launcher;
    std::map<std::string, ServerAnswer> answers; // by action, and "5:" + pagecods for the history
    std::vector<std::string> messages;
    std::function<void(TfrmHistory&)> look;
    bool waitForLoad = true;
    std::optional<std::string> savePath;
    std::string suggestedPath;
    std::unique_ptr<TfrmMain> window;

private:
    QLocale locale_;
};

// Counted hits: 5 and 3 on 30 March, 2 on 31 March, 4 on 28 February (the place of
// 30 March in the period before), and records the window must pass over.
std::string KnownHours()
{
    return Record(kMarch30 + 10 * kHour, 5) + "^" + Record(kMarch30 + 23 * kHour - kHour, 3) + "^"
        + Record(kThisHour, 2) + "^" + Record(kMarch1 - 15 * kHour, 4) + "^" + Record(kThisHour + kHour, 100) + "^"
        + Record(kJanuary31 - kHour, 100) + "^" + Record(kMarch30 + 1800, 100) + "^OK";
}

} // namespace

TEST_F(History, TheButtonFollowsRefreshAndAsksForTheChosenPagesOnTheWire)
{
    EXPECT_EQ(window->btnHistory->text(), "History");
    EXPECT_EQ(window->btnHistory->parentWidget(), window->btnRevfreshSegments->parentWidget());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_GT(window->btnHistory->x(), window->btnRevfreshSegments->x());
    EXPECT_LT(window->btnHistory->x(), window->lblTotalHits->x());

    answers["5:all"] = ServerAnswer::Text("OK");
    answers["5:18"] = ServerAnswer::Text("OK");
    answers["5:17,20"] = ServerAnswer::Text("OK");
    std::vector<QString> captions;
    const auto caption = [&](TfrmHistory& history) { captions.push_back(history.windowTitle()); };

    OpenHistory(caption); // nothing loaded: the whole site
    ASSERT_TRUE(window->RefreshPages());
    OpenHistory(caption); // nothing chosen: the whole site
    window->lvwPages->SelectRow(RowOf("/b.php"));
    OpenHistory(caption); // the selected page
    window->lvwPages->SetChecked(RowOf("/a.php"), true);
    window->lvwPages->SetChecked(RowOf("/c.php"), true);
    OpenHistory(caption); // the checked pages win over the selected one

    EXPECT_EQ(captions,
        (std::vector<QString>{"History: whole site", "History: whole site", "History: /b.php", "History: 2 pages"}));
    EXPECT_EQ(HistoryRequests(),
        (std::vector<FieldList>{HistoryForm("all", kJanuary31, kThisHour), HistoryForm("all", kJanuary31, kThisHour),
            HistoryForm("18", kJanuary31, kThisHour), HistoryForm("17,20", kJanuary31, kThisHour)}));
    for (const RecordedRequest& request : server.Requests()) {
        EXPECT_EQ(request.path, "/actions.php");
        EXPECT_EQ(request.version, "HTTP/1.0");
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(History, ThePageMenuOpensTheHistoryOfItsRowAlone)
{
    answers["5:18"] = ServerAnswer::Text("OK");
    ASSERT_TRUE(window->RefreshPages());
    // The checked pages are not asked for: the menu belongs to one row.
    window->lvwPages->SetChecked(RowOf("/a.php"), true);
    std::unique_ptr<QMenu> menu = window->ListCommands().PageMenu(RowOf("/b.php"));
    QAction* history = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == "History")
            history = action;
    ASSERT_NE(history, nullptr);
    std::vector<QString> captions;
    look = [&](TfrmHistory& opened) { captions.push_back(opened.windowTitle()); };
    history->trigger();
    look = nullptr;
    EXPECT_EQ(captions, std::vector<QString>{"History: /b.php"});
    EXPECT_EQ(HistoryRequests(), (std::vector<FieldList>{HistoryForm("18", kJanuary31, kThisHour)}));
}

TEST_F(History, AModalResizableWindowOfItsOwnSize)
{
    answers["5:all"] = ServerAnswer::Text("OK");
    OpenHistory([&](TfrmHistory& history) {
        EXPECT_TRUE(history.isModal());
        EXPECT_EQ(history.size(), QSize(900, 600));
        EXPECT_LT(history.minimumWidth(), 900);
        EXPECT_GT(history.maximumWidth(), 900);
        // The test screen is smaller than the window: it stays on the screen, by its corner.
        const QRect area = history.screen()->availableGeometry();
        EXPECT_TRUE(area.contains(history.frameGeometry().topLeft()));
        EXPECT_EQ(history.cbxRange->currentText(), "Last 30 days");
        QStringList ranges;
        for (int i = 0; i < history.cbxRange->count(); ++i)
            ranges.push_back(history.cbxRange->itemText(i));
        EXPECT_EQ(ranges,
            (QStringList{"Last 24 hours", "Last 7 days", "Last 30 days", "Last 90 days", "Last 12 months",
                "Since the history began"}));
    });
}

TEST_F(History, TheChartAndTableShowLocalDaysAgainstThePeriodBefore)
{
    answers["5:all"] = ServerAnswer::Text(KnownHours());
    OpenHistory([&](TfrmHistory& history) {
        EXPECT_EQ(history.lblSummary->text(), "10 hits in the last 30 days, 150% more than the 30 days before");
        EXPECT_EQ(history.pgcChart->currentWidget(), history.chtHits);
        const HistoryTable& table = history.Table();
        ASSERT_EQ(table.rows.size(), 30u);
        EXPECT_EQ(table.rows.front().period, "Sun 3/2/25");
        EXPECT_EQ(table.rows[28].period, "Sun 3/30/25");
        EXPECT_EQ(table.rows[28].hits, 8); // the last hour of a 23-hour day is still that day
        EXPECT_EQ(table.rows[28].previousHits, 4);
        EXPECT_EQ(table.rows[29].hits, 2);
        EXPECT_EQ(history.chtHits->Data().values, HitsColumn(history));
        EXPECT_EQ(history.chtHits->Data().outlines[28], 4);
        EXPECT_TRUE(history.chtHits->Data().line.empty());
        EXPECT_EQ(history.tblBars->model()->data(history.tblBars->model()->index(28, 0)).toString(), "Sun 3/30/25");
        EXPECT_EQ(history.tblBars->model()->headerData(2, Qt::Horizontal).toString(), "Previous period");

        // Hovering a bar, and the arrow keys, show its date and count.
        QTest::mouseMove(history.chtHits, history.chtHits->BarRect(28).center());
        EXPECT_EQ(history.chtHits->CurrentBar(), 28);
        EXPECT_EQ(history.chtHits->CurrentTip(), "Sun 3/30/25: 8 hits\nPrevious period, Fri 2/28/25: 4 hits");
        QTest::keyClick(history.chtHits, Qt::Key_Right);
        EXPECT_EQ(history.chtHits->CurrentTip(), "Mon 3/31/25: 2 hits\nPrevious period, Sat 3/1/25: 0 hits");
        QTest::keyClick(history.chtHits, Qt::Key_Home);
        EXPECT_EQ(history.chtHits->CurrentBar(), 0);

        // Another range asks again, for that range and the one before it.
        history.cbxRange->setCurrentText("Last 24 hours");
        EXPECT_EQ(HistoryRequests().back(), HistoryForm("all", kThisHour - 47 * kHour, kThisHour));
        ASSERT_EQ(history.Table().rows.size(), 24u);
        EXPECT_EQ(history.Table().rows.back().hits, 2);
        EXPECT_EQ(history.lblSummary->text(), "5 hits in the last 24 hours, as many as the 24 hours before");
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(History, RobotsAreASecondRequestDrawnAsALineForTheWholeSiteOnly)
{
    answers["5:all"] = ServerAnswer::Text(KnownHours());
    answers["5:robots"] = ServerAnswer::Text(Record(kThisHour, 40) + "^" + Record(kThisHour - kHour, 2) + "^OK");
    OpenHistory([&](TfrmHistory& history) {
        ASSERT_TRUE(history.chkRobots->isVisible());
        EXPECT_EQ(history.chkRobots->text(), "Robots (not counted)");
        history.chkRobots->click();
        EXPECT_EQ(HistoryRequests().back(), HistoryForm("robots", kJanuary31, kThisHour));
        EXPECT_EQ(history.chtHits->Data().line.back(), 42);
        EXPECT_TRUE(history.Table().hasRobots);
        EXPECT_EQ(history.Table().rows.back().robots, 42);
        EXPECT_EQ(history.tblBars->model()->headerData(3, Qt::Horizontal).toString(), "Robots (not counted)");
        // The counted hits stay as they were.
        EXPECT_EQ(history.lblSummary->text(), "10 hits in the last 30 days, 150% more than the 30 days before");
        const std::size_t asked = HistoryRequests().size();
        history.chkRobots->click();
        EXPECT_TRUE(history.chtHits->Data().line.empty());
        EXPECT_FALSE(history.Table().hasRobots);
        // A new range asks for both.
        history.chkRobots->click();
        history.cbxRange->setCurrentText("Last 7 days");
        EXPECT_EQ(HistoryRequests().size(), asked + 2);
        EXPECT_EQ(FieldOf(server.LastRequest(), "pagecods"), "robots");
    });

    answers["5:18"] = ServerAnswer::Text("OK");
    ASSERT_TRUE(window->RefreshPages());
    window->lvwPages->SelectRow(RowOf("/b.php"));
    OpenHistory([&](TfrmHistory& history) { EXPECT_FALSE(history.chkRobots->isVisible()); });
}

TEST_F(History, RobotsThatDoNotComeLeaveTheCountedHitsShown)
{
    answers["5:all"] = ServerAnswer::Text(KnownHours());
    answers["5:robots"] = ServerAnswer::Text("OK", 500);
    OpenHistory([&](TfrmHistory& history) {
        history.chkRobots->click();
        EXPECT_EQ(history.lblStatus->text(), kRefererTroubleText);
        EXPECT_EQ(history.pgcChart->currentWidget(), history.chtHits);
        ASSERT_EQ(history.Table().rows.size(), 30u);
        EXPECT_EQ(history.Table().rows[28].hits, 8);
        EXPECT_TRUE(history.chtHits->Data().line.empty());
    });
    EXPECT_TRUE(messages.empty());
}

struct OutcomeCase {
    const char* name;
    ServerAnswer answer;
    const char* shown;
};

class HistoryOutcome : public History, public testing::WithParamInterface<OutcomeCase> { };

TEST_P(HistoryOutcome, AnswersWithoutHoursAreSaidInTheWindowWithoutAMessageBox)
{
    answers["5:all"] = GetParam().answer;
    OpenHistory([&](TfrmHistory& history) {
        EXPECT_EQ(history.pgcChart->currentWidget(), history.lblMessage);
        EXPECT_EQ(history.lblMessage->text().toStdString(), GetParam().shown);
        EXPECT_EQ(history.lblStatus->text(), "");
        EXPECT_TRUE(history.cbxRange->isEnabled());
    });
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(window->btnHistory->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Answers, HistoryOutcome,
    testing::Values(OutcomeCase{"OldCounter", ServerAnswer::Text("BADREQUEST"), kNoHistoryText},
        OutcomeCase{
            "OldCounterErrorPage", ServerAnswer::Text("<html><body>Unknown action</body></html>"), kNoHistoryText},
        OutcomeCase{"ServerError", ServerAnswer::Text("OK", 500), kRefererTroubleText},
        OutcomeCase{"ConnectionReset", ServerAnswer::Reset(), kRefererTroubleText},
        OutcomeCase{"NoHits", ServerAnswer::Text("OK"), kNoHitsText},
        OutcomeCase{"NoHitsInTheRange", ServerAnswer::Text(Record(kJanuary31, 9) + "^OK"), kNoHitsText}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(History, NothingToExportOrCopyWithoutHistory)
{
    answers["5:all"] = ServerAnswer::Text("BADREQUEST");
    OpenHistory([&](TfrmHistory& history) {
        EXPECT_TRUE(history.Table().rows.empty());
        EXPECT_FALSE(history.btnExportCsv->isEnabled());
        EXPECT_EQ(history.lblSummary->text(), "");
    });
}

TEST_F(History, ExportWritesEveryRowAsCsvThroughTheSaveDialog)
{
    answers["5:all"] = ServerAnswer::Text(KnownHours());
    const std::string path = folder.File("history.csv");
    savePath = path;
    OpenHistory([&](TfrmHistory& history) {
        history.cbxRange->setCurrentText("Last 7 days");
        ASSERT_TRUE(history.btnExportCsv->isEnabled());
        EXPECT_EQ(history.btnExportCsv->text(), "Export CSV…");
        history.btnExportCsv->click();
        EXPECT_EQ(ReadWholeFile(path),
            "Period,Hits,Previous period\r\n"
            "2025-03-25,0,0\r\n"
            "2025-03-26,0,0\r\n"
            "2025-03-27,0,0\r\n"
            "2025-03-28,0,0\r\n"
            "2025-03-29,0,0\r\n"
            "2025-03-30,8,0\r\n"
            "2025-03-31,2,0\r\n");
        EXPECT_NE(suggestedPath.find("history.csv"), std::string::npos);

        // A folder that is not there: the reason is told, and nothing is left behind.
        const std::string missing = folder.File("gone/history.csv");
        savePath = missing;
        history.btnExportCsv->click();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("The history could not be exported to \"" + missing + "\": "), std::string::npos);
        EXPECT_NE(messages[0].find("No such file or directory"), std::string::npos);
        EXPECT_NE(messages[0].find(missing), std::string::npos);
        // Cancelled: nothing written, nothing said.
        savePath.reset();
        std::filesystem::remove(path);
        history.btnExportCsv->click();
        EXPECT_FALSE(std::filesystem::exists(path));
    });
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 0);
}

TEST_F(History, CtrlCCopiesTheSelectedRowsUnderAHeader)
{
    answers["5:all"] = ServerAnswer::Text(KnownHours());
    OpenHistory([&](TfrmHistory& history) {
        QApplication::clipboard()->clear();
        history.tblBars->selectRow(29);
        history.tblBars->selectionModel()->select(
            history.tblBars->model()->index(28, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(history.tblBars, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(
            QApplication::clipboard()->text(), "Period\tHits\tPrevious period\nSun 3/30/25\t8\t4\nMon 3/31/25\t2\t0\n");
        // The table's current row is the chart's current bar.
        EXPECT_EQ(history.chtHits->CurrentBar(), 29);
    });
}

TEST_F(History, WhileARequestWaitsTheCommandsAreHeldAndClosingEndsIt)
{
    window->show();
    answers["5:all"] = ServerAnswer::NeverAnswer();
    waitForLoad = false;
    bool heldWhileWaiting = false;
    std::chrono::steady_clock::time_point closedAt;
    OpenHistory([&](TfrmHistory& history) {
        // Runs inside the waiting request, which keeps the windows going.
        QTimer::singleShot(300ms, &history, [&] {
            heldWhileWaiting = history.lblStatus->text() == "Getting data..." && window->IdHTTP1.Busy()
                && !window->btnHistory->isEnabled() && !window->btnRevfreshSegments->isEnabled()
                && !history.cbxRange->isEnabled() && !history.chkRobots->isEnabled();
            closedAt = std::chrono::steady_clock::now();
            history.reject();
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return history.isHidden() && !window->IdHTTP1.Busy(); }, 20000));
        // Closing the window gave up the request at once.
        EXPECT_LT(std::chrono::steady_clock::now() - closedAt, 5s);
    });
    EXPECT_TRUE(heldWhileWaiting);
    EXPECT_TRUE(window->btnHistory->isEnabled());
    EXPECT_TRUE(messages.empty());
}
