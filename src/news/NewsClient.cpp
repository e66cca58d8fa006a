#include "news/NewsClient.h"

#include "net/Requests.h"
#include "news/NewsReply.h"
#include "ui/MessageBox.h"

std::string NewsBaseUrl(const BrandingInfo& branding, std::string_view productType)
{
    if (productType == "BM")
        return branding.MasterNewsBaseURL;
    if (productType == "BP")
        return branding.PlatinumNewsBaseURL;
    if (productType == "BG")
        return branding.GoldNewsBaseURL;
    return {};
}

TNewsClient::TNewsClient(net::HttpClient& client, const BrandingInfo& branding, TMessageBox& messages)
    : client_(client),
      branding_(branding),
      messages_(messages)
{ }

std::string TNewsClient::Post(const char* script, const std::string& productType, const net::Form& fields)
{
    // The closing "something" field is added by the news profile; the base URL is not tested,
    // so an empty one fails like an unreachable server.
    return net::PostForm(client_, net::FormProfile::NewsServer, NewsBaseUrl(branding_, productType), script, fields);
}

void TNewsClient::ReportError(const std::string& reply, NewsFetch fetch)
{
    if (const char* message = NewsErrorMessage(reply, fetch))
        messages_.Show(message, MessageKind::Warning, MessageButtons::Ok);
}

bool TNewsClient::FetchNewsList(const std::string& publisherId, const std::string& productCode,
    const std::string& productType, const std::string& newsTarget, std::vector<std::string>& list)
{
    const std::string reply = Post("getlastnews.php", productType,
        {{"memusername", publisherId}, {"prodcode", productCode}, {"prodtype", productType}, {"conttype", "all"},
            {"newstarget", newsTarget}});
    if (!IsNewsSuccess(reply)) {
        ReportError(reply, NewsFetch::List);
        return false;
    }
    ReadNewsListReply(reply, list);
    return true;
}

bool TNewsClient::FetchLatestNews(const std::string& publisherId, const std::string& productCode,
    const std::string& productType, const std::string& newsTarget, std::string& id, std::string& title)
{
    id.clear();
    title.clear();
    const std::string reply = Post("getlastnews.php", productType,
        {{"memusername", publisherId}, {"prodcode", productCode}, {"prodtype", productType}, {"conttype", "lastcode"},
            {"newstarget", newsTarget}});
    if (!IsNewsSuccess(reply))
        return false;
    LatestNews latest = ReadLatestNewsReply(reply);
    id = std::move(latest.id);
    title = std::move(latest.title);
    return true;
}

bool TNewsClient::FetchNewsDetails(const std::string& publisherId, const std::string& productCode,
    const std::string& productType, const std::string& newsTarget, const std::string& newsId, std::string& html)
{
    html.clear();
    const std::string reply = Post("getnewsdetails.php", productType,
        {{"memusername", publisherId}, {"prodcode", productCode}, {"prodtype", productType}, {"newsid", newsId},
            {"newstarget", newsTarget}});
    if (!IsNewsSuccess(reply)) {
        ReportError(reply, NewsFetch::Details);
        return false;
    }
    html = ReadNewsDetailsReply(reply);
    return true;
}
