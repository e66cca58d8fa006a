#include "news/NewsClient.h"
#include "net/HttpClient.h"
#include "news/NewsFixture.h"
#include "ui/MessageBox.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

class NewsClient : public testing::Test {
protected:
    NewsClient()
    {
        branding.BranderType = "Master";
        branding.BranderCode = kProductCode;
        branding.MasterNewsBaseURL = server.Url("/news");
        branding.MasterPublID = kPublisherId;
    }

    RecordingServer server;
    net::HttpClient http{[] { QCoreApplication::processEvents(); }};
    std::vector<Message> messages;
    TMessageBox messageBox{[this](const std::string& text, MessageKind kind, MessageButtons buttons) {
        messages.push_back({text, kind, buttons});
        return true;
    }};
    BrandingInfo branding;
    TNewsClient client{http, branding, messageBox};
};

Message Warning(const char* text)
{
    return {text, MessageKind::Warning, MessageButtons::Ok};
}

const char* kTrouble = "There is a trouble accessing the news site. Contact your provider.";

} // namespace

TEST_F(NewsClient, SendsEachFormInOrderToItsScriptWithOneSlash)
{
    server.Answer("/news/getlastnews.php", ServerAnswer::Text("OK"));
    server.Answer("/news/getnewsdetails.php", ServerAnswer::Text("OK"));
    std::vector<std::string> list;
    std::string id, title, html;
    for (const std::string& base : {server.Url("/news"), server.Url("/news/")}) {
        branding.MasterNewsBaseURL = base;
        EXPECT_TRUE(client.FetchNewsList(kPublisherId, kProductCode, "BM", kNewsTarget, list));
        EXPECT_TRUE(client.FetchLatestNews(kPublisherId, kProductCode, "BM", kNewsTarget, id, title));
        EXPECT_TRUE(client.FetchNewsDetails(kPublisherId, kProductCode, "BM", kNewsTarget, "42", html));
    }
    const FieldList listForm{{"memusername", "pub-7"}, {"prodcode", "TW-100"}, {"prodtype", "BM"}, {"conttype", "all"},
        {"newstarget", "UA"}, {"something", ""}};
    const FieldList latestForm{{"memusername", "pub-7"}, {"prodcode", "TW-100"}, {"prodtype", "BM"},
        {"conttype", "lastcode"}, {"newstarget", "UA"}, {"something", ""}};
    const FieldList detailsForm{{"memusername", "pub-7"}, {"prodcode", "TW-100"}, {"prodtype", "BM"}, {"newsid", "42"},
        {"newstarget", "UA"}, {"something", ""}};
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 6u);
    for (std::size_t i = 0; i < requests.size(); i += 3) {
        EXPECT_EQ(requests[i].path, "/news/getlastnews.php");
        EXPECT_EQ(requests[i].Fields(), listForm);
        EXPECT_EQ(requests[i + 1].path, "/news/getlastnews.php");
        EXPECT_EQ(requests[i + 1].Fields(), latestForm);
        EXPECT_EQ(requests[i + 2].path, "/news/getnewsdetails.php");
        EXPECT_EQ(requests[i + 2].Fields(), detailsForm);
    }
    for (const RecordedRequest& request : requests) {
        EXPECT_EQ(request.method, "POST");
        EXPECT_EQ(request.version, "HTTP/1.0");
        for (const FormPart& part : request.parts) {
            EXPECT_EQ(part.filename, "");
            EXPECT_EQ(part.contentType, "");
        }
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(NewsClient, TakesTheBaseUrlOfTheProductTypeItIsGiven)
{
    branding.MasterNewsBaseURL = server.Url("/master");
    branding.PlatinumNewsBaseURL = server.Url("/platinum/");
    branding.GoldNewsBaseURL = server.Url("/gold");
    std::vector<std::string> list;
    for (const char* type : {"BM", "BP", "BG"})
        client.FetchNewsList(kPublisherId, kProductCode, type, kNewsTarget, list);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].path, "/master/getlastnews.php");
    EXPECT_EQ(requests[1].path, "/platinum/getlastnews.php");
    EXPECT_EQ(requests[2].path, "/gold/getlastnews.php");
    EXPECT_EQ(FieldOf(requests[1], "prodtype"), "BP");
}

TEST_F(NewsClient, AnEmptyBaseUrlFailsLikeAnUnreachableServer)
{
    branding.MasterNewsBaseURL = "";
    std::vector<std::string> list{"old"};
    EXPECT_FALSE(client.FetchNewsList(kPublisherId, kProductCode, "BM", kNewsTarget, list));
    EXPECT_EQ(list, std::vector<std::string>{"old"});
    EXPECT_EQ(messages, std::vector<Message>{Warning(kTrouble)});
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(NewsClient, AListIsAppendedToAndKeptWhenTheFetchFails)
{
    std::vector<std::string> list{"1^Old^x"};
    server.Answer("/news/getlastnews.php",
        ServerAnswer::Text("\r\n 2^B^y\xAF"
                           "3^C^z\xAFOK\r\n"));
    EXPECT_TRUE(client.FetchNewsList(kPublisherId, kProductCode, "BM", kNewsTarget, list));
    EXPECT_EQ(list, (std::vector<std::string>{"1^Old^x", "2^B^y", "3^C^z"}));
    for (ServerAnswer failure : {ServerAnswer::Text("INVALIDPRODUCT"), ServerAnswer::Text("OK", 500),
             ServerAnswer::Reset(), ServerAnswer::Text("  \r\n")}) {
        server.Answer("/news/getlastnews.php", failure);
        EXPECT_FALSE(client.FetchNewsList(kPublisherId, kProductCode, "BM", kNewsTarget, list));
        EXPECT_EQ(list.size(), 3u);
    }
    EXPECT_EQ(messages,
        (std::vector<Message>{Warning("There is a trouble with the product validation. Contact your provider."),
            Warning(kTrouble), Warning(kTrouble), Warning(kTrouble)}));
}

TEST_F(NewsClient, ErrorWordsAreTrimmedAndMatchedExactly)
{
    std::vector<std::string> list;
    for (const char* reply : {"INVALIDUSER\r\n", "invaliduser", "INVALIDNEWS"}) {
        server.Answer("/news/getlastnews.php", ServerAnswer::Text(reply));
        EXPECT_FALSE(client.FetchNewsList(kPublisherId, kProductCode, "BM", kNewsTarget, list));
    }
    EXPECT_EQ(
        messages, std::vector<Message>{Warning("There is a trouble with the Publisher Id. Contact your provider.")});
}

TEST_F(NewsClient, TheNewestItemRequestShowsNothingAndEmptiesItsOutputs)
{
    std::string id = "old", title = "old";
    for (ServerAnswer failure : {ServerAnswer::Text("INVALIDUSER"), ServerAnswer::Text(""), ServerAnswer::Reset(),
             ServerAnswer::Text("42^T\xAFOK", 404)}) {
        server.Answer("/news/getlastnews.php", failure);
        EXPECT_FALSE(client.FetchLatestNews(kPublisherId, kProductCode, "BM", kNewsTarget, id, title));
        EXPECT_EQ(id, "");
    }
    EXPECT_TRUE(messages.empty());
    server.Answer("/news/getlastnews.php", ServerAnswer::Text("42^Autumn news\xAFOK\n"));
    EXPECT_TRUE(client.FetchLatestNews(kPublisherId, kProductCode, "BM", kNewsTarget, id, title));
    EXPECT_EQ(id, "42");
    EXPECT_EQ(title, "Autumn news");
}

TEST_F(NewsClient, ContentIsDecodedAndEveryErrorWordOfItReported)
{
    std::string html = "old";
    server.Answer("/news/getnewsdetails.php", ServerAnswer::Text("$3Cb$3Ehi$3C/b$3E\xAFOK"));
    EXPECT_TRUE(client.FetchNewsDetails(kPublisherId, kProductCode, "BM", kNewsTarget, "5", html));
    EXPECT_EQ(html, "<b>hi</b>");
    server.Answer("/news/getnewsdetails.php", ServerAnswer::Text("INVALIDNEWS"));
    EXPECT_FALSE(client.FetchNewsDetails(kPublisherId, kProductCode, "BM", kNewsTarget, "5", html));
    EXPECT_EQ(html, "");
    EXPECT_EQ(messages, std::vector<Message>{Warning("There is a trouble with this news. Contact your provider.")});
}

namespace {

struct TierCase {
    const char* name;
    std::string type;
    bool applies;
    std::string productType;
    std::string publisherId;
};

void PrintTo(const TierCase& value, std::ostream* out)
{
    *out << Shown(value.type);
}

class NewsTierRow : public testing::TestWithParam<TierCase> { };

} // namespace

TEST_P(NewsTierRow, ComesFromTheBranderTypeWithExactCase)
{
    BrandingInfo branding;
    branding.BranderType = GetParam().type;
    branding.MasterPublID = "m-id";
    branding.MasterNewsBaseURL = "http://m";
    branding.PlatinumPublID = "p-id";
    branding.PlatinumNewsBaseURL = "http://p";
    branding.GoldPublID = std::string(GetParam().name) == "GoldWithoutPublisherId" ? "" : "g-id";
    branding.GoldNewsBaseURL = "http://g";
    const auto tier = NewsTierFor(branding);
    ASSERT_EQ(tier.has_value(), GetParam().applies);
    if (!tier)
        return;
    EXPECT_EQ(tier->productType, GetParam().productType);
    EXPECT_EQ(tier->publisherId, GetParam().publisherId);
    EXPECT_EQ(tier->baseUrl, NewsBaseUrl(branding, tier->productType));
}

INSTANTIATE_TEST_SUITE_P(Tiers, NewsTierRow,
    testing::Values(TierCase{"Master", "Master", true, "BM", "m-id"},
        TierCase{"Platinum", "Platinum", true, "BP", "p-id"}, TierCase{"Gold", "Gold", true, "BG", "g-id"},
        TierCase{"GoldWithoutPublisherId", "Gold", false, "", ""}, TierCase{"Free", "Free", false, "", ""},
        TierCase{"LowerCase", "master", false, "", ""}, TierCase{"Empty", "", false, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });
