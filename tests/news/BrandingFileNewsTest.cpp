// The news features against a real branding file beside the program.
#include "branding/BrandingFile.h"
#include "news/FNews.h"
#include "news/NewsFixture.h"
#include "ui/MessageHint.h"

#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

namespace {

std::string Tag(const std::string& key, const std::string& value)
{
    return "<%%" + key + "%%>" + value + "<%%/" + key + "%%>\r\n";
}

class BrandingFileNews : public BrandedWindow {
protected:
    BrandingFileNews()
    {
        useBrandingFile = true;
        const std::string plain = Tag("ApplicationName", "Counter Pro") + Tag("BranderCode", kProductCode)
            + Tag("BranderType", "Master") + Tag("MasterNewsBaseURL", NewsBase() + "/")
            + Tag("MasterPublID", kPublisherId) + Tag("LastNewsId", "3");
        EXPECT_EQ(WriteBrandingFile(folder.Path().string(), plain), "");
        PublishVersion("[APPLICATION]\r\nVersion=2.01\r\n");
        server.Answer("/counter/actions.php", ServerAnswer::Text("BAD"));
        server.Answer("/news/getlastnews.php", [](const RecordedRequest& request) {
            return ServerAnswer::Text(FieldOf(request, "conttype") == "lastcode" ? "5^Autumn prices\xAFOK"
                                                                                 : "5^Autumn prices^2024-09-01\xAF"
                                                                                   "2^Holiday hours^2024-02-12\xAFOK");
        });
        AnswerNews("getnewsdetails.php", ServerAnswer::Text("$3Cp$3EHours$3C/p$3E\xAFOK"));
    }
};

} // namespace

TEST_F(BrandingFileNews, TheBalloonComparesWithTheStoredIdAndReadingAnItemRewritesIt)
{
    auto window = Open(BrandingInfo{}, true);
    EXPECT_EQ(window->BrandingInfo.MasterPublID, kPublisherId);
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.RequestCount() >= 3 && window->btnNews->isEnabled(); }, 20000));
    EXPECT_TRUE(window->LMDMessageHint1->IsShowing());
    EXPECT_EQ(window->LMDMessageHint1->Text(), "You've Got A Message!\r\nAutumn prices");

    answerDialog = [](QDialog& dialog) {
        auto& news = dynamic_cast<TfrmNews&>(dialog);
        news.show();
        QTest::mouseClick(news.lvwItems->viewport(), Qt::LeftButton, {}, news.lvwItems->RowRect(1).center());
        EXPECT_EQ(news.prfEditorNews->toPlainText(), "Hours");
        return 1;
    };
    window->btnNews->click();
    EXPECT_EQ(ReadLastNewsId(folder.Path().string()), "2");
    const auto file = ReadBrandingFile(folder.Path().string());
    ASSERT_TRUE(file && file->authentic);
    EXPECT_EQ(ReadBrandingText(BrandingLines(file->plain)).BrandingInfo.ApplicationName, "Counter Pro");
    EXPECT_TRUE(messages.empty());
}
