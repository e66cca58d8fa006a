#include "history/HistoryRequest.h"

#include "net/Requests.h"

std::string PageCodesField(const std::vector<HistoryPage>& pages)
{
    if (pages.empty())
        return "all";
    std::string codes;
    for (const HistoryPage& page : pages) {
        if (!codes.empty())
            codes += ',';
        codes += page.code;
    }
    return codes;
}

HistoryReply RequestHistory(
    net::HttpClient& client, const std::string& siteUrl, const std::string& pageCodes, HourSpan span)
{
    const std::optional<std::string> answer
        = net::PostFormAnswer(client, net::FormProfile::UserServer, siteUrl, "actions.php",
            {{"action", "5"}, {"pagecods", pageCodes}, {"fromhour", std::to_string(span.fromHour)},
                {"tohour", std::to_string(span.toHour)}});
    if (!answer)
        return {};
    HourlyHits hours = ReadHistoryAnswer(*answer, span);
    if (!hours.kept)
        return {.outcome = HistoryReply::Outcome::NotKept, .hours = std::move(hours)};
    return {.outcome = HistoryReply::Outcome::Hours, .hours = std::move(hours)};
}
