#include "news/FNews.h"
#include "news/NewsCommands.h"
#include "news/NewsFixture.h"

#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

namespace {

const char* kThreeItems = "12^Spring sale^2024-03-01\xAF"
                          "11^Price list^2024-02-11\xAF"
                          "10^Welcome^2024-01-10\xAFOK";

Message NoNews()
{
    return {kNoNewsText, MessageKind::Information, MessageButtons::Ok};
}

class NewsCommand : public BrandedWindow {
protected:
    // Plays the user in the news window: it is shown, `play` runs, then "Close" is pressed.
    void ReadNews(std::function<void(TfrmNews&)> play)
    {
        answerDialog = [this, play](QDialog& dialog) {
            auto& news = dynamic_cast<TfrmNews&>(dialog);
            news.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&news));
            windowsOpened++;
            play(news);
            news.btnExit->click();
            return news.result();
        };
    }

    // A click on the row, as the user makes it.
    static void Click(TfrmNews& news, int row)
    {
        news.lvwItems->scrollTo(news.lvwItems->model()->index(row, 0));
        QTest::mouseClick(news.lvwItems->viewport(), Qt::LeftButton, {}, news.lvwItems->RowRect(row).center());
    }

    std::vector<std::string> DetailsAskedFor() const
    {
        std::vector<std::string> ids;
        for (const RecordedRequest& request : RequestsTo("/news/getnewsdetails.php"))
            ids.push_back(FieldOf(request, "newsid"));
        return ids;
    }

    int windowsOpened = 0;
};

} // namespace

TEST_F(NewsCommand, WithoutANewsTierSendsNothingAndSaysThereIsNoNews)
{
    BrandingInfo free = Branding("Free");
    BrandingInfo lowerCase = Branding("master");
    BrandingInfo noPublisher = Branding("Gold");
    noPublisher.GoldPublID = "";
    for (const BrandingInfo& branding : {BrandingInfo{}, free, lowerCase, noPublisher}) {
        messages.clear();
        auto window = Open(branding);
        window->btnNews->click();
        EXPECT_EQ(messages, std::vector<Message>{NoNews()}) << branding.BranderType;
    }
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(NewsCommand, AnEmptyListOrAFailedOneOpensNoWindow)
{
    const Message publisherTrouble{
        "There is a trouble with the Publisher Id. Contact your provider.", MessageKind::Warning, MessageButtons::Ok};
    const std::vector<std::pair<ServerAnswer, std::vector<Message>>> cases{
        {ServerAnswer::Text("OK"), {NoNews()}},
        {ServerAnswer::Text("\xAF\xAFOK\r\n"), {NoNews()}},
        {ServerAnswer::Text("INVALIDUSER"), {publisherTrouble, NoNews()}},
        {ServerAnswer::Text("INVALIDNEWS"), {NoNews()}},
    };
    auto window = Open();
    window->NewsList = {"stale^item^x"};
    ReadNews([](TfrmNews&) {});
    for (const auto& [answer, expected] : cases) {
        messages.clear();
        AnswerNews("getlastnews.php", answer);
        window->btnNews->click();
        EXPECT_EQ(messages, expected);
        EXPECT_TRUE(window->NewsList.empty());
    }
    EXPECT_EQ(windowsOpened, 0);
}

TEST_F(NewsCommand, TheWindowListsTheItemsInReplyOrderAndAsksForNothingYet)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text(kThreeItems));
    auto window = Open(Branding("Platinum"));
    ReadNews([](TfrmNews& news) {
        EXPECT_EQ(news.windowTitle(), "News");
        EXPECT_EQ(news.size(), QSize(682, 411));
        ASSERT_EQ(news.lvwItems->RowCount(), 3);
        const auto* model = news.lvwItems->model();
        EXPECT_EQ(model->columnCount(), 2); // the id has no column
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), "News Title");
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Published");
        EXPECT_EQ(news.lvwItems->header()->sectionSize(1), 160);
        EXPECT_EQ(news.lvwItems->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        const std::vector<std::pair<QString, QString>> shown{
            {"Spring sale", "2024-03-01"}, {"Price list", "2024-02-11"}, {"Welcome", "2024-01-10"}};
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(model->index(row, 0).data().toString(), shown[row].first);
            EXPECT_EQ(model->index(row, 1).data().toString(), shown[row].second);
        }
        EXPECT_EQ(news.lvwItems->RowAt(2).id, "10");
        EXPECT_EQ(news.lvwItems->SelectedRow(), -1);
        EXPECT_EQ(news.btnExit->text(), "Close");
        EXPECT_EQ(news.btnExit->size(), QSize(97, 20));
        EXPECT_EQ(news.splitter->handleWidth(), 10);
    });
    window->btnNews->click();
    EXPECT_EQ(windowsOpened, 1);
    EXPECT_TRUE(DetailsAskedFor().empty());
    EXPECT_TRUE(messages.empty());
    const auto list = RequestsTo("/news/getlastnews.php");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(FieldOf(list[0], "prodtype"), "BP");
    EXPECT_EQ(window->NewsList.size(), 3u);
}

TEST_F(NewsCommand, ReadingAnItemShowsItsPageAndStoresItsIdEvenWhenOlder)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text(kThreeItems));
    server.Answer("/news/getnewsdetails.php", [](const RecordedRequest& request) {
        return ServerAnswer::Text("$3Cp$3EItem " + FieldOf(request, "newsid") + "$3C/p$3E\xAFOK");
    });
    storedNewsId = "11";
    auto window = Open();
    ReadNews([](TfrmNews& news) {
        Click(news, 0);
        EXPECT_EQ(news.lvwItems->SelectedRow(), 0);
        EXPECT_EQ(news.prfEditorNews->toPlainText(), "Item 12");
        Click(news, 2);
        EXPECT_EQ(news.prfEditorNews->toPlainText(), "Item 10");
        EXPECT_FALSE(news.Busy);
        for (QWidget* widget : std::initializer_list<QWidget*>{
                 &news, news.lvwItems, news.prfEditorNews, news.lvwItems->viewport(), news.prfEditorNews->viewport()})
            EXPECT_EQ(widget->cursor().shape(), Qt::ArrowCursor);
    });
    window->btnNews->click();
    EXPECT_EQ(DetailsAskedFor(), (std::vector<std::string>{"12", "10"}));
    EXPECT_EQ(writtenNewsIds, (std::vector<std::string>{"12", "10"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(NewsCommand, TheFirstArrowKeyReadsTheNewestItem)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text(kThreeItems));
    AnswerNews("getnewsdetails.php", ServerAnswer::Text("page\xAFOK"));
    auto window = Open();
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up}) {
        const auto askedBefore = static_cast<std::ptrdiff_t>(DetailsAskedFor().size());
        writtenNewsIds.clear();
        ReadNews([key](TfrmNews& news) {
            news.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&news));
            // Tabbing into the list makes its first row current, selected or not.
            news.lvwItems->setFocus(Qt::TabFocusReason);
            ASSERT_TRUE(news.lvwItems->hasFocus());
            QTest::keyClick(news.lvwItems, key);
            EXPECT_EQ(news.lvwItems->SelectedRow(), 0);
            QTest::keyClick(news.lvwItems, Qt::Key_Down);
            EXPECT_EQ(news.lvwItems->SelectedRow(), 1);
        });
        window->btnNews->click();
        const std::vector<std::string> asked = DetailsAskedFor();
        EXPECT_EQ(
            std::vector<std::string>(asked.begin() + askedBefore, asked.end()), (std::vector<std::string>{"12", "11"}))
            << key;
        EXPECT_EQ(writtenNewsIds, (std::vector<std::string>{"12", "11"})) << key;
    }
}

TEST_F(NewsCommand, ABadEscapeShowsAnEmptyPageAndStillStoresTheId)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text(kThreeItems));
    AnswerNews("getnewsdetails.php", ServerAnswer::Text("$3Cp$3Ebroken$Z1\xAFOK"));
    auto window = Open();
    ReadNews([](TfrmNews& news) {
        news.prfEditorNews->setHtml("<p>before</p>");
        Click(news, 1);
        EXPECT_EQ(news.prfEditorNews->toPlainText(), "");
    });
    window->btnNews->click();
    EXPECT_EQ(writtenNewsIds, std::vector<std::string>{"11"});
}

TEST_F(NewsCommand, AFailedContentRequestWarnsAndKeepsThePageAndTheStoredId)
{
    const std::vector<std::pair<ServerAnswer, std::vector<Message>>> cases{
        {ServerAnswer::Text("INVALIDNEWS"),
            {{"There is a trouble with this news. Contact your provider.", MessageKind::Warning, MessageButtons::Ok}}},
        {ServerAnswer::Reset(),
            {{"There is a trouble accessing the news site. Contact your provider.", MessageKind::Warning,
                MessageButtons::Ok}}},
        {ServerAnswer::Text("Server busy"), {}},
    };
    AnswerNews("getlastnews.php", ServerAnswer::Text(kThreeItems));
    auto window = Open();
    for (const auto& [answer, expected] : cases) {
        messages.clear();
        AnswerNews("getnewsdetails.php", answer);
        ReadNews([](TfrmNews& news) {
            news.prfEditorNews->setHtml("<p>before</p>");
            Click(news, 0);
            EXPECT_EQ(news.prfEditorNews->toPlainText(), "before");
            EXPECT_FALSE(news.Busy);
        });
        window->btnNews->click();
        EXPECT_EQ(messages, expected);
    }
    EXPECT_TRUE(writtenNewsIds.empty());
}

TEST_F(NewsCommand, TheSelectionStaysPutWhileTheContentIsFetched)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text(kThreeItems));
    AnswerNews(
        "getnewsdetails.php", ServerAnswer::Text("$3Cp$3Ea$3C/p$3E\xAFOK").After(std::chrono::milliseconds(600)));
    bool clickedDuringTheRequest = false;
    auto window = Open();
    ReadNews([&](TfrmNews& news) {
        QTimer::singleShot(150, &news, [&] {
            clickedDuringTheRequest = true;
            EXPECT_TRUE(news.Busy);
            for (QWidget* widget : std::initializer_list<QWidget*>{&news, news.lvwItems, news.prfEditorNews,
                     news.lvwItems->viewport(), news.prfEditorNews->viewport()})
                EXPECT_EQ(widget->cursor().shape(), Qt::WaitCursor);
            Click(news, 2);
            QTest::keyClick(news.lvwItems, Qt::Key_Down);
            EXPECT_EQ(news.lvwItems->SelectedRow(), 0);
            EXPECT_FALSE(window->btnNews->isEnabled());
        });
        Click(news, 0);
        EXPECT_EQ(news.lvwItems->SelectedRow(), 0);
        EXPECT_EQ(news.lvwItems->currentIndex().row(), 0);
        EXPECT_EQ(news.cursor().shape(), Qt::ArrowCursor);
    });
    window->btnNews->click();
    EXPECT_TRUE(clickedDuringTheRequest);
    EXPECT_EQ(DetailsAskedFor(), std::vector<std::string>{"12"});
    EXPECT_EQ(writtenNewsIds, std::vector<std::string>{"12"});
    EXPECT_TRUE(window->btnNews->isEnabled());
}

TEST_F(NewsCommand, ShortRecordsShowTheirMissingFieldsEmpty)
{
    AnswerNews("getlastnews.php",
        ServerAnswer::Text("7^No date^\xAF"
                           "8\xAF^Anonymous^today\xAFOK"));
    auto window = Open();
    ReadNews([](TfrmNews& news) {
        ASSERT_EQ(news.lvwItems->RowCount(), 3);
        EXPECT_EQ(news.lvwItems->RowAt(0).title, "No date");
        EXPECT_EQ(news.lvwItems->RowAt(0).published, "");
        EXPECT_EQ(news.lvwItems->RowAt(1).id, "8");
        EXPECT_EQ(news.lvwItems->RowAt(1).title, "");
        EXPECT_EQ(news.lvwItems->RowAt(2).id, "");
        EXPECT_EQ(news.lvwItems->RowAt(2).title, "Anonymous");
    });
    window->btnNews->click();
}

TEST_F(NewsCommand, OneHundredThousandItemsStayUsable)
{
    std::string reply;
    for (int i = 100000; i > 0; --i)
        reply += std::to_string(i) + "^Item number " + std::to_string(i) + "^2024-01-01\xAF";
    reply += "OK";
    AnswerNews("getlastnews.php", ServerAnswer::Text(reply));
    AnswerNews("getnewsdetails.php", ServerAnswer::Text("last\xAFOK"));
    auto window = Open();
    ReadNews([](TfrmNews& news) {
        ASSERT_EQ(news.lvwItems->RowCount(), 100000);
        Click(news, 99999);
        EXPECT_EQ(news.lvwItems->SelectedRow(), 99999);
        EXPECT_EQ(news.prfEditorNews->toPlainText(), "last");
    });
    window->btnNews->click();
    EXPECT_EQ(writtenNewsIds, std::vector<std::string>{"1"});
}

TEST_F(NewsCommand, AHugeTitleIsCutForTheScreenButItsIdTravelsWhole)
{
    const std::string title(1 << 20, 'T');
    const std::string id = std::string(300, '9');
    AnswerNews("getlastnews.php", ServerAnswer::Text(id + "^" + title + "^now\xAFOK"));
    AnswerNews("getnewsdetails.php", ServerAnswer::Text("ok page\xAFOK"));
    auto window = Open();
    ReadNews([&](TfrmNews& news) {
        EXPECT_LT(news.lvwItems->model()->index(0, 0).data().toString().size(), 2000);
        EXPECT_EQ(news.lvwItems->RowAt(0).title, title);
        Click(news, 0);
    });
    window->btnNews->click();
    EXPECT_EQ(DetailsAskedFor(), std::vector<std::string>{id});
}

TEST_F(NewsCommand, ALinkInAnItemOpensInTheBrowser)
{
    AnswerNews("getlastnews.php", ServerAnswer::Text(kThreeItems));
    auto window = Open();
    ReadNews([](TfrmNews& news) {
        emit news.prfEditorNews->anchorClicked(QUrl("file:///etc/passwd"));
        emit news.prfEditorNews->anchorClicked(QUrl("http://reseller.example/offer"));
        emit news.prfEditorNews->anchorClicked(QUrl("--new-window"));
    });
    window->btnNews->click();
    ASSERT_EQ(launcher.started.size(), 1u);
    EXPECT_EQ(launcher.started[0].second, "http://reseller.example/offer");
}
