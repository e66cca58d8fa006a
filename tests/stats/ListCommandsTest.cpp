#include "stats/ListCommands.h"
#include "stats/RowAddresses.h"
#include "stats/StatisticsFixture.h"
#include "support/FileSizeLimit.h"
#include "text/TextRoutines.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

// A tab in a URL, a Windows-1252 byte ("café"), a double quote left by the answer's grammar
// and a hit count with leading zeros.
const char* kAwkwardPages = "\"1\",\"/a\tb.php\",\"5\"^\"2\",\"/caf\xe9.php\",\"007\"^\"3\",\"/x\"y.php\",\"2\"^OK";
const char* kFourPages = R"("17","/a.php","1"^"18","/b.php","2"^"20","/ab.php","3"^"21","/c.php","4"^OK)";

std::vector<std::string> MenuTexts(const QMenu& menu)
{
    std::vector<std::string> texts;
    for (const QAction* action : menu.actions())
        texts.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    return texts;
}

QAction* ActionOf(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text)
            return action;
    ADD_FAILURE() << "no " << text.toStdString();
    return nullptr;
}

std::string Clipboard()
{
    return QApplication::clipboard()->text().toStdString();
}

std::vector<std::string> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class Lists : public Statistics {
protected:
    Lists() { QApplication::clipboard()->clear(); }

    TListCommands& Commands() { return window->ListCommands(); }
    void Type(const QString& text) { window->edtPageFilter->setText(text); }

    TempDir exports;
};

} // namespace

TEST_F(Lists, CopyTakesTheCheckedPagesUnlessOneIsSelected)
{
    LoadPages(kAwkwardPages);
    Commands().CopyPages();
    EXPECT_EQ(Clipboard(), ""); // nothing selected, nothing checked: nothing to copy

    window->lvwPages->SetChecked(RowOf("/a\tb.php"), true);
    window->lvwPages->SetChecked(RowOf("/caf\xe9.php"), true);
    Commands().CopyPages();
    EXPECT_EQ(Clipboard(), "Web Page URL\tHits\n\"/a\tb.php\"\t5\n/caf\xc3\xa9.php\t007\n");

    answers["4"] = ServerAnswer::Text("OK");
    window->lvwPages->SelectRow(RowOf("/x\"y.php"));
    Commands().CopyPages();
    EXPECT_EQ(Clipboard(), "Web Page URL\tHits\n\"/x\"\"y.php\"\t2\n");
}

TEST_F(Lists, ExportWritesEveryRowShownAsCsvThroughTheSaveDialog)
{
    LoadPages(kAwkwardPages);
    savePath = exports.File("march.csv");
    Commands().ExportPages();
    EXPECT_EQ(
        ReadWholeFile(*savePath), "Web Page URL,Hits\r\n/a\tb.php,5\r\n/caf\xc3\xa9.php,7\r\n\"/x\"\"y.php\",2\r\n");
    EXPECT_EQ(suggestedPaths.back().substr(suggestedPaths.back().size() - 10), "/pages.csv");

    // Under a filter only the rows shown; the next dialog starts in the folder used last.
    Type(QString::fromUtf8("CAF\xc3\x89"));
    Commands().ExportPages();
    EXPECT_EQ(ReadWholeFile(*savePath), "Web Page URL,Hits\r\n/caf\xc3\xa9.php,7\r\n");
    EXPECT_EQ(suggestedPaths.back(), exports.File("pages.csv"));
    EXPECT_TRUE(messages.empty());

    savePath.reset(); // Cancel
    std::filesystem::remove(exports.File("march.csv"));
    Commands().ExportPages();
    EXPECT_TRUE(FilesIn(exports.Path()).empty());
}

// Root ignores permission bits, so each failure here is one no user can write past: a folder
// that is a file, a disk that fills up, a file its owner protected.
TEST_F(Lists, AFailedExportSaysWhereAndWhyAndLeavesNothingBehind)
{
    LoadPages(kAwkwardPages);
    WriteWholeFile(exports.File("notes"), "a file");
    WriteWholeFile(exports.File("kept.csv"), "old");
    chmod(exports.File("kept.csv").c_str(), 0444);
    struct Failure {
        std::string path;
        std::string reason;
        rlim_t sizeLimit;
    };
    for (const Failure& failure : {Failure{exports.File("notes/pages.csv"), "Not a directory", RLIM_INFINITY},
             Failure{exports.File("pages.csv"), "File too large", 20},
             Failure{exports.File("kept.csv"), "Permission denied", RLIM_INFINITY}}) {
        messages.clear();
        savePath = failure.path;
        {
            FileSizeLimit limit(failure.sizeLimit);
            Commands().ExportPages();
        }
        ASSERT_EQ(messages.size(), 1u) << failure.path;
        EXPECT_EQ(
            messages[0].text, "The list could not be exported to \"" + failure.path + "\": " + failure.reason + ".");
        EXPECT_EQ(messages[0].kind, MessageKind::Warning);
        EXPECT_EQ(FilesIn(exports.Path()), (std::vector<std::string>{"kept.csv", "notes"}));
    }
    EXPECT_EQ(ReadWholeFile(exports.File("kept.csv")), "old");
}

TEST_F(Lists, RefererRowsCopyAndExportAsShown)
{
    LoadPages(kTwoPages);
    answers["4"]
        = ServerAnswer::Text("\"5\",\"b.example\",\"blue\tshoes\",\"1\",\"40\"^\"6\",\"a.example\",\"\",\"2\",\"+3\"^"
                             "\"7\",\"\",\"caf\xe9\",\"1\",\"1\"^OK");
    window->lvwPages->SelectRow(0);
    ASSERT_EQ(window->lvwReferers->RowCount(), 3);
    window->lvwReferers->selectAll();
    Commands().CopyReferers();
    EXPECT_EQ(Clipboard(),
        "Referer Domain\tKeyword\tType\tHits\n\tcaf\xc3\xa9\tNo Advertising\t1\na.example\t\tAdvertising\t+3\n"
        "b.example\t\"blue\tshoes\"\tNo Advertising\t40\n");
    savePath = exports.File("referers.csv");
    Commands().ExportReferers();
    EXPECT_EQ(ReadWholeFile(*savePath),
        "Referer Domain,Keyword,Type,Hits\r\n,caf\xc3\xa9,No Advertising,1\r\na.example,,Advertising,3\r\n"
        "b.example,blue\tshoes,No Advertising,40\r\n");
}

TEST_F(Lists, TheFilterShowsMatchingPagesAndCountsThemBesideTheField)
{
    LoadPages(kFourPages);
    Type(QStringLiteral("A"));
    EXPECT_EQ(Captions(), (std::vector<std::string>{"/a.php", "/ab.php"}));
    EXPECT_EQ(window->lblPageFilter->text(), "2 of 4 pages, 4 hits");
    EXPECT_EQ(window->lblTotalHits->text(), "Total: 10 hits");
    EXPECT_FALSE(window->bsSkinButton4->isEnabled());
    EXPECT_EQ(window->bsSkinButton4->toolTip(), kClearFilterToDeleteAllText);

    Type(QString());
    EXPECT_EQ(window->lvwPages->RowCount(), 4);
    EXPECT_EQ(window->lblPageFilter->text(), "");
    EXPECT_TRUE(window->bsSkinButton4->isEnabled());
    EXPECT_EQ(window->bsSkinButton4->toolTip(), "");
}

TEST_F(Lists, UnderAFilterTheCommandsActOnThePagesShown)
{
    LoadPages(kFourPages);
    window->lvwPages->SetChecked(RowOf("/c.php"), true);
    Type(QStringLiteral("a"));
    window->btnSSelectAll->click();
    answers["2"] = ServerAnswer::Text("OK");
    answers["3"] = ServerAnswer::Text(R"("18","/b.php","2"^"21","/c.php","4"^"22","/xa.php","9"^OK)");
    window->btnDeleteSeg->click();
    EXPECT_EQ(Posted().at(1), (FieldList{{"action", "2"}, {"deleteids", "17,20"}, {"end", ""}}));

    // The reload keeps the filter.
    EXPECT_EQ(window->edtPageFilter->text(), "a");
    EXPECT_EQ(Captions(), std::vector<std::string>{"/xa.php"});
    EXPECT_EQ(window->lblPageFilter->text(), "1 of 3 pages, 9 hits");

    Type(QString());
    window->btnSSelectAll->click();
    Type(QStringLiteral("b"));
    window->btnSClearAll->click();
    Type(QString());
    EXPECT_FALSE(window->lvwPages->IsChecked(RowOf("/b.php")));
    EXPECT_TRUE(window->lvwPages->IsChecked(RowOf("/c.php")));
    EXPECT_TRUE(window->lvwPages->IsChecked(RowOf("/xa.php")));
}

TEST_F(Lists, DeleteAllStaysHeldBackUnderAFilterAfterARequest)
{
    LoadPages(kFourPages);
    Type(QStringLiteral("b"));
    messages.clear();
    const size_t before = server.RequestCount();
    window->bsSkinButton4Click();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(server.RequestCount(), before);

    LoadPages(kFourPages); // the request held every command back and gave them back
    EXPECT_FALSE(window->bsSkinButton4->isEnabled());
    Type(QString());
    LoadPages(kFourPages);
    EXPECT_TRUE(window->bsSkinButton4->isEnabled());
}

TEST_F(Lists, APageRowMenuOffersWhatTheRowAllows)
{
    LoadPages(R"("7","http://site.example/a.php","1"^"8","/b.php","2"^OK)");
    const int web = RowOf("http://site.example/a.php");
    // Only a web address opens in the browser; every page has its history.
    EXPECT_EQ(MenuTexts(*Commands().PageMenu(RowOf("/b.php"))),
        (std::vector<std::string>{"Copy Address", "History", "-", "Copy", "Export CSV\u2026"}));
    EXPECT_EQ(MenuTexts(*Commands().PageMenu(std::nullopt)), (std::vector<std::string>{"Copy", "Export CSV\u2026"}));

    std::vector<std::pair<std::string, std::string>> histories;
    Commands().OnShowHistory
        = [&](const std::string& code, const std::string& url) { histories.emplace_back(code, url); };
    std::unique_ptr<QMenu> menu = Commands().PageMenu(web);
    EXPECT_EQ(MenuTexts(*menu),
        (std::vector<std::string>{"Open Page", "Copy Address", "History", "-", "Copy", "Export CSV\u2026"}));
    ActionOf(*menu, "Open Page")->trigger();
    ActionOf(*menu, "History")->trigger();
    ActionOf(*menu, "Copy Address")->trigger();
    EXPECT_EQ(launcher.started,
        (std::vector<std::pair<std::string, std::string>>{{"/usr/bin/browser", "http://site.example/a.php"}}));
    EXPECT_EQ(histories, (std::vector<std::pair<std::string, std::string>>{{"7", "http://site.example/a.php"}}));
    EXPECT_EQ(Clipboard(), "http://site.example/a.php");
    // Nothing selected or checked: Copy takes the menu's row.
    ActionOf(*menu, "Copy")->trigger();
    EXPECT_EQ(Clipboard(), "Web Page URL\tHits\nhttp://site.example/a.php\t1\n");

    window->SetCommandsEnabled(false); // as while a request runs
    EXPECT_FALSE(ActionOf(*Commands().PageMenu(web), "History")->isEnabled());
    window->SetCommandsEnabled(true);
}

TEST_F(Lists, ARefererRowMenuOpensTheSiteOfADomainRow)
{
    LoadPages(kTwoPages);
    answers["4"] = ServerAnswer::Text(R"("5","search.example","","1","40"^"6","","shoes","1","3"^OK)");
    window->lvwPages->SelectRow(0);
    std::unique_ptr<QMenu> domainMenu = Commands().RefererMenu(1);
    EXPECT_EQ(MenuTexts(*domainMenu), (std::vector<std::string>{"Open Site", "-", "Copy", "Export CSV\u2026"}));
    EXPECT_EQ(MenuTexts(*Commands().RefererMenu(0)), (std::vector<std::string>{"Copy", "Export CSV\u2026"}));
    ActionOf(*domainMenu, "Open Site")->trigger();
    EXPECT_EQ(launcher.started,
        (std::vector<std::pair<std::string, std::string>>{{"/usr/bin/browser", "http://search.example"}}));
}

TEST(RowAddresses, WebPagesAndSitesOpenOnlyAsTheyShould)
{
    for (const char* url : {"http://site.example/", "HTTPS://site.example/a.php", "Http://x"})
        EXPECT_TRUE(IsWebAddress(url)) << url;
    for (const char* url : {"/index.php", "ftp://site.example/", "mailto:me@site.example", "httpx://a", "http:/a"})
        EXPECT_FALSE(IsWebAddress(url)) << url;

    const std::vector<std::pair<std::string, std::optional<std::string>>> domains{
        {"search.example", "http://search.example"},
        {"search.example:8080", "http://search.example:8080"},
        {"[::1]:80", "http://[::1]:80"},
        {"b\xc3\xbc"
         "cher.example",
            "http://b\xc3\xbc"
            "cher.example"},
        {"", std::nullopt},
        {"...", std::nullopt},
        {"two words", std::nullopt},
        {"http://search.example", std::nullopt},
        {"a\"b", std::nullopt},
    };
    for (const auto& [domain, site] : domains)
        EXPECT_EQ(SiteAddressOf(domain), site) << domain;
}

class ListKeys : public Lists {
protected:
    ListKeys()
    {
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
};

TEST_F(ListKeys, FindEscapeAndRefresh)
{
    LoadPages(kFourPages);
    QTest::keyClick(window->lvwPages, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(window->edtPageFilter->hasFocus());
    QTest::keyClicks(window->edtPageFilter, "ab");
    EXPECT_EQ(window->lvwPages->RowCount(), 1);
    QTest::keyClick(window->edtPageFilter, Qt::Key_Escape);
    EXPECT_EQ(window->edtPageFilter->text(), "");
    EXPECT_EQ(window->lvwPages->RowCount(), 4);

    answers["1"] = ServerAnswer::Text("OK");
    const size_t before = server.RequestCount();
    QTest::keyClick(window->edtPageFilter, Qt::Key_F5);
    EXPECT_EQ(server.RequestCount(), before + 2);
}

TEST_F(ListKeys, SelectAllCopyAndDeleteInThePageList)
{
    LoadPages(kFourPages);
    answers["4"] = ServerAnswer::Text("OK");
    window->edtPageFilter->setText(QStringLiteral("a"));
    window->lvwPages->SelectRow(RowOf("/ab.php"));
    window->lvwPages->setFocus();
    QTest::keyClick(window->lvwPages, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(window->lvwPages->SelectedRow());
    QTest::keyClick(window->lvwPages, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "Web Page URL\tHits\n/a.php\t1\n/ab.php\t3\n");

    answers["2"] = ServerAnswer::Text("OK");
    QTest::keyClick(window->lvwPages, Qt::Key_Delete);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Are you sure do you want to delete the selected items?");
    EXPECT_EQ(Posted().at(Posted().size() - 2), (FieldList{{"action", "2"}, {"deleteids", "17,20"}, {"end", ""}}));
}

TEST_F(ListKeys, SelectAllAndCopyInTheRefererList)
{
    LoadPages(kTwoPages);
    answers["4"] = ServerAnswer::Text(R"("5","b.example","","1","40"^"6","a.example","","1","3"^OK)");
    window->lvwPages->SelectRow(0);
    window->lvwReferers->setFocus();
    QTest::keyClick(window->lvwReferers, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window->lvwReferers, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(),
        "Referer Domain\tKeyword\tType\tHits\na.example\t\tNo Advertising\t3\nb.example\t\tNo Advertising\t40\n");
}

TEST_F(ListKeys, KeysStartNothingWhileARequestRuns)
{
    LoadPages(kFourPages);
    window->lvwPages->SetChecked(0, true);
    window->lvwPages->setFocus();
    answers["1"] = ServerAnswer::Text("OK");
    answers["3"] = ServerAnswer::Text(kFourPages).After(std::chrono::milliseconds(400));
    const size_t before = server.RequestCount();
    bool checkedMeanwhile = true;
    QTimer::singleShot(100, [&] {
        QTest::keyClick(window->lvwPages, Qt::Key_F5);
        QTest::keyClick(window->lvwPages, Qt::Key_Delete);
        QTest::keyClick(window->lvwPages, Qt::Key_A, Qt::ControlModifier);
        checkedMeanwhile = window->lvwPages->IsChecked(1);
    });
    EXPECT_TRUE(window->RefreshPages());
    EXPECT_EQ(server.RequestCount(), before + 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(checkedMeanwhile);
}
