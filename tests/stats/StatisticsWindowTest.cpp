#include "stats/StatisticsFixture.h"
#include "support/CellRows.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <set>

TEST_F(Statistics, RefreshChecksTheServerThenFillsTheSortedListAndTotal)
{
    answers["1"] = ServerAnswer::Text("OK");
    answers["3"] = ServerAnswer::Text(kTwoPages);
    window->btnRevfreshSegments->click();

    EXPECT_EQ(Posted(), (std::vector<FieldList>{{{"action", "1"}, {"end", ""}}, {{"action", "3"}, {"end", ""}}}));
    for (const RecordedRequest& request : server.Requests()) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.path, "/actions.php");
        EXPECT_EQ(request.version, "HTTP/1.0");
    }
    EXPECT_EQ(Captions(), (std::vector<std::string>{"/contact.php", "/index.php"}));
    EXPECT_EQ(CellsOf(*window->lvwPages, 0), (std::vector<std::string>{"/contact.php", "12", "18"}));
    EXPECT_EQ(window->lblTotalHits->text(), "Total: 262 hits");
    EXPECT_EQ(window->MainStatusPanel->text(), "");
    EXPECT_TRUE(messages.empty());
}

TEST_F(Statistics, ACheckAnswerOtherThanExactlyOkLoadsNothing)
{
    for (const char* check : {"OK\r\n", "ok", " OK", "BAD"}) {
        answers["1"] = ServerAnswer::Text(check);
        window->btnRevfreshSegments->click();
    }
    answers["1"] = ServerAnswer::Text("OK", 404);
    window->btnRevfreshSegments->click();
    EXPECT_EQ(server.RequestCount(), 5u);
    for (const FieldList& form : Posted())
        EXPECT_EQ(form.front().second, "1");
    EXPECT_TRUE(messages.empty());
}

TEST_F(Statistics, TheCountersErrorWordsShowWhatIsWrongInTheStatusBarAndLoadNothing)
{
    const std::vector<std::string> words
        = {"NOCONFIG", "DBFAIL", "READONLY", "DENIED", "DISKFULL", "COUNTFAIL", "BADREQUEST"};
    std::set<QString> texts;
    for (const std::string& word : words) {
        SCOPED_TRACE(word);
        window->MainStatusPanel->clear();
        answers["1"] = ServerAnswer::Text(word);
        window->btnRevfreshSegments->click();
        EXPECT_TRUE(texts.insert(window->MainStatusPanel->text()).second) << "a text shared with another word";
        EXPECT_TRUE(window->MainStatusPanel->text().startsWith("The counter "))
            << window->MainStatusPanel->text().toStdString();
    }
    answers["1"] = ServerAnswer::Text("READONLY");
    window->btnRevfreshSegments->click();
    EXPECT_TRUE(
        window->MainStatusPanel->text().startsWith("The counter cannot store views: its database is read-only."));
    for (const FieldList& form : Posted())
        EXPECT_EQ(form.front().second, "1") << "a list was asked for after a failed check";
    EXPECT_TRUE(messages.empty());

    // Once the counter works again, loading the list replaces the text.
    answers["1"] = ServerAnswer::Text("OK");
    answers["3"] = ServerAnswer::Text(kTwoPages);
    window->btnRevfreshSegments->click();
    EXPECT_EQ(window->MainStatusPanel->text(), "");
    EXPECT_EQ(window->lvwPages->RowCount(), 2);
}

TEST_F(Statistics, AnyOtherFailedCheckLeavesTheStatusBarAlone)
{
    window->MainStatusPanel->setText("as before");
    for (ServerAnswer answer : {ServerAnswer::Text("READONLY\r\n"), ServerAnswer::Text("readonly"),
             ServerAnswer::Text("Database error"), ServerAnswer::Text("READONLY", 500), ServerAnswer::Reset()}) {
        answers["1"] = answer;
        window->btnRevfreshSegments->click();
        EXPECT_EQ(window->MainStatusPanel->text(), "as before");
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(Statistics, AFailedListAnswerKeepsTheListAndTotal)
{
    LoadPages(kTwoPages);
    for (ServerAnswer failure :
        {ServerAnswer::Text("Database error"), ServerAnswer::Text("OK", 500), ServerAnswer::Reset()}) {
        answers["3"] = failure;
        EXPECT_FALSE(window->RefreshPages());
        EXPECT_EQ(window->lvwPages->RowCount(), 2);
        EXPECT_EQ(window->lblTotalHits->text(), "Total: 262 hits");
        EXPECT_EQ(window->MainStatusPanel->text(), "");
    }
}

TEST_F(Statistics, OkAloneEmptiesTheListAndKeepsTheTotal)
{
    LoadPages(kTwoPages);
    LoadPages("OK");
    EXPECT_EQ(window->lvwPages->RowCount(), 0);
    EXPECT_EQ(window->lblTotalHits->text(), "Total: 262 hits");
    LoadPages("^OK");
    EXPECT_EQ(window->lblTotalHits->text(), "Total: 0 hits");
}

TEST_F(Statistics, AShortLineStopsTheFillAndKeepsTheTotal)
{
    LoadPages(kTwoPages);
    answers["3"] = ServerAnswer::Text(R"("1","/a","5"^"2","/b"^"3","/c","7"^OK)");
    EXPECT_FALSE(window->RefreshPages());
    EXPECT_EQ(Captions(), (std::vector<std::string>{"/a", "/b\""}));
    EXPECT_EQ(window->lblTotalHits->text(), "Total: 262 hits");
}

TEST_F(Statistics, SelectAllAndClearSetEveryCheckBoxWithoutMovingTheSelection)
{
    window->btnSSelectAll->click(); // an empty list: nothing happens
    LoadPages(kThreePages);
    answers["4"] = ServerAnswer::Text("OK");
    window->lvwPages->SelectRow(1);
    window->btnSSelectAll->click();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(window->lvwPages->IsChecked(i));
    window->btnSClearAll->click();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(window->lvwPages->IsChecked(i));
    EXPECT_EQ(window->lvwPages->SelectedRow(), 1);
}

TEST_F(Statistics, SelectingAPageLoadsItsReferersWithBothChoices)
{
    LoadPages(kTwoPages);
    answers["4"] = ServerAnswer::Text(R"("5","searchsite","","1","40"^OK)");
    window->cbxQueryType->setCurrentIndex(2);
    window->cbxRefType->setCurrentIndex(1);
    window->lvwPages->SelectRow(RowOf("/index.php"));

    EXPECT_EQ(Posted().back(),
        (FieldList{{"action", "4"}, {"querytype", "2"}, {"reftype", "2"}, {"pagecod", "17"}, {"end", ""}}));
    ASSERT_EQ(window->lvwReferers->RowCount(), 1);
    EXPECT_EQ(
        CellsOf(*window->lvwReferers, 0), (std::vector<std::string>{"searchsite", "", "No Advertising", "40", "5"}));
    EXPECT_EQ(window->lblRefersHits->text(), "Total: 40 hits");
    EXPECT_EQ(window->MainStatusPanel->text(), "");

    // A new choice reloads the selected page's referers, once.
    const size_t before = server.RequestCount();
    window->cbxQueryType->setCurrentIndex(1);
    EXPECT_EQ(server.RequestCount(), before + 1);
    EXPECT_EQ(Posted().back()[1], (FieldList::value_type{"querytype", "1"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(Statistics, ChoicesWithoutASelectedPageSendNothing)
{
    LoadPages(kTwoPages);
    const size_t before = server.RequestCount();
    window->cbxQueryType->setCurrentIndex(2);
    window->cbxRefType->setCurrentIndex(1);
    EXPECT_EQ(server.RequestCount(), before);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Statistics, RefererTroubleWarnsAndKeepsThePreviousReferers)
{
    LoadPages(kTwoPages);
    answers["4"] = ServerAnswer::Text(R"("5","searchsite","","1","40"^OK)");
    window->lvwPages->SelectRow(0);
    answers["4"] = ServerAnswer::Text("", 404);
    window->lvwPages->SelectRow(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kRefererTroubleText);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(window->lvwReferers->RowCount(), 1);
    EXPECT_EQ(window->lblRefersHits->text(), "Total: 40 hits");
}

TEST_F(Statistics, DeleteSendsTheCheckedCodesInListOrderThenReloadsOnly)
{
    LoadPages(kThreePages);
    window->lvwPages->SetChecked(RowOf("/c.php"), true);
    window->lvwPages->SetChecked(RowOf("/a.php"), true);
    answers["2"] = ServerAnswer::Text("OK");
    answers["3"] = ServerAnswer::Text(R"("18","/b.php","2"^OK)");
    const size_t before = server.RequestCount();
    window->btnDeleteSeg->click();

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Are you sure do you want to delete the selected items?");
    EXPECT_EQ(messages[0].buttons, MessageButtons::OkCancel);
    std::vector<FieldList> posted = Posted();
    posted.erase(posted.begin(), posted.begin() + static_cast<long>(before));
    EXPECT_EQ(posted,
        (std::vector<FieldList>{
            {{"action", "2"}, {"deleteids", "17,20"}, {"end", ""}}, {{"action", "3"}, {"end", ""}}}));
    EXPECT_EQ(Captions(), std::vector<std::string>{"/b.php"});
}

TEST_F(Statistics, DeleteAsksNothingWithoutCheckedRowsAndCancelSendsNothing)
{
    LoadPages(kThreePages);
    const size_t before = server.RequestCount();
    window->btnDeleteSeg->click();
    EXPECT_TRUE(messages.empty());

    window->lvwPages->SetChecked(0, true);
    answerOk = false;
    window->btnDeleteSeg->click();
    window->bsSkinButton4->click();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(server.RequestCount(), before);
    EXPECT_TRUE(window->lvwPages->IsChecked(0));
}

TEST_F(Statistics, DeleteAllNeedsRowsButNoChecks)
{
    window->bsSkinButton4->click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(server.RequestCount(), 0u);

    LoadPages(kTwoPages);
    answers["2"] = ServerAnswer::Text("OK");
    answers["3"] = ServerAnswer::Text("OK");
    window->bsSkinButton4->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Are you sure do you want to delete all?.");
    EXPECT_EQ(Posted().at(1), (FieldList{{"action", "2"}, {"deleteids", "all"}, {"end", ""}}));
    EXPECT_EQ(window->lvwPages->RowCount(), 0);
    EXPECT_EQ(window->lblTotalHits->text(), "Total: 262 hits");
}

TEST_F(Statistics, AFailedDeleteWarnsAndLeavesTheRowsAsTheyWere)
{
    LoadPages(kThreePages);
    window->lvwPages->SetChecked(1, true);
    answers["2"] = ServerAnswer::Text("OK\r\n");
    window->btnDeleteSeg->click();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, kDeleteTroubleText);
    EXPECT_EQ(messages[1].buttons, MessageButtons::Ok);
    EXPECT_EQ(window->lvwPages->RowCount(), 3);
    EXPECT_TRUE(window->lvwPages->IsChecked(1));
}

TEST_F(Statistics, EmptyCodesStillCostCommasAfterTheFirst)
{
    LoadPages(R"("","/a","1"^"5","/b","1"^"","/c","1"^"6","/d","1"^OK)");
    window->btnSSelectAll->click();
    answers["2"] = ServerAnswer::Text("OK");
    window->btnDeleteSeg->click();
    EXPECT_EQ(Posted().at(1).at(1).second, "5,,6");
}

TEST_F(Statistics, CommandsAreHeldBackWhileARequestRuns)
{
    answers["3"] = ServerAnswer::Text(kTwoPages).After(std::chrono::milliseconds(300));
    bool refreshEnabledMeanwhile = true;
    bool listBusyMeanwhile = false;
    QTimer::singleShot(100, [&] {
        refreshEnabledMeanwhile = window->btnRevfreshSegments->isEnabled() || window->btnSimple->isEnabled()
            || window->cbxQueryType->isEnabled();
        listBusyMeanwhile = window->lvwPages->IsBusy();
    });
    EXPECT_TRUE(window->RefreshPages());
    EXPECT_FALSE(refreshEnabledMeanwhile);
    EXPECT_TRUE(listBusyMeanwhile);
    EXPECT_TRUE(window->btnRevfreshSegments->isEnabled());
    EXPECT_FALSE(window->lvwPages->IsBusy());
}

TEST_F(Statistics, ClosingTheWindowDuringARequestEndsItQuietly)
{
    window->show();
    answers["3"] = ServerAnswer::NeverAnswer();
    answers["4"] = ServerAnswer::NeverAnswer();
    QTimer::singleShot(200, [&] { window->close(); });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(window->RefreshPages());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)); // not the 60 s limit
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(Statistics, ALinkCellOpensThroughTheShell)
{
    LoadPages(R"("1","http://site.example/index.php","3"^OK)");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QRect cell = window->lvwPages->visualRect(window->lvwPages->model()->index(0, 0));
    answers["4"] = ServerAnswer::Text("OK");
    QTest::mouseClick(window->lvwPages->viewport(), Qt::LeftButton, {}, cell.center() + QPoint(60, 0));
    EXPECT_EQ(launcher.opened, std::vector<std::string>{"http://site.example/index.php"});
}

TEST(StatisticsAtStart, TheTimerChecksTheServerAndLoadsThePagesOnce)
{
    TempDir folder;
    RecordingServer server;
    server.Answer("/actions.php",
        [](const RecordedRequest& request) { return ServerAnswer::Text(ActionOf(request) == "1" ? "OK" : kTwoPages); });
    WriteWholeFile(folder.File("hsettings.dat"), "[Settings]\r\nswebserver=" + server.Url() + "\r\n");
    AppContext context;
    context.programDirectory = folder.Path().string();
    context.messageResponder = [](const std::string&, MessageKind, MessageButtons) { return true; };
    TfrmMain window(std::move(context));
    window.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.lvwPages->RowCount() == 2; }, 10000));
    QTest::qWait(300);
    EXPECT_EQ(server.RequestCount(), 2u);
    EXPECT_FALSE(window.Timer1->isActive());
}
