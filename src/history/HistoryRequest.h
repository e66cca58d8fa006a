#pragma once

// Asking the counter for its hourly history: a form post of "action" = "5", the page codes,
// the first and the last hour, and the closing "end".

#include "history/HistoryAnswer.h"
#include "net/HttpClient.h"

#include <string>
#include <vector>

// A page as the page list knows it: the server's code and the address shown for it.
struct HistoryPage {
    std::string code;
    std::string url;
};

// What "pagecods" carries for these pages: their codes joined by ",", or "all" for none.
std::string PageCodesField(const std::vector<HistoryPage>& pages);
// What "pagecods" carries for the robots the counter did not count.
inline constexpr const char* kRobotsPageCodes = "robots";

struct HistoryReply {
    enum class Outcome {
        Failed, // no answer: the server could not be reached, or answered with an error status
        NotKept, // an answer without "OK": a counter of an earlier version
        Hours,
    };
    Outcome outcome = Outcome::Failed;
    HourlyHits hours;
};

HistoryReply RequestHistory(
    net::HttpClient& client, const std::string& siteUrl, const std::string& pageCodes, HourSpan span);
