#pragma once

// The client side of the reseller's news service: three form posts to the news server
// through the main window's HTTP client, read with the routines of NewsReply.h.

#include "branding/BrandingFile.h"
#include "net/HttpClient.h"
#include "news/NewsReply.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TMessageBox;

inline constexpr const char* kNewsTarget = "UA";

// The news base URL of a product-type code; empty for an unknown code.
std::string NewsBaseUrl(const BrandingInfo& branding, std::string_view productType);

class TNewsClient {
public:
    TNewsClient(net::HttpClient& client, const BrandingInfo& branding, TMessageBox& messages);

    // All items of the product, appended to `list` (never cleared; kept as it was on failure).
    // True on a success reply, even one without records. Error answers are reported.
    bool FetchNewsList(const std::string& publisherId, const std::string& productCode, const std::string& productType,
        const std::string& newsTarget, std::vector<std::string>& list);
    // The newest item's id and title. Shows nothing, whatever the outcome.
    bool FetchLatestNews(const std::string& publisherId, const std::string& productCode, const std::string& productType,
        const std::string& newsTarget, std::string& id, std::string& title);
    // One item's content as HTML (empty on failure). Error answers are reported.
    bool FetchNewsDetails(const std::string& publisherId, const std::string& productCode,
        const std::string& productType, const std::string& newsTarget, const std::string& newsId, std::string& html);

private:
    // The trimmed reply of script at the product type's base URL; empty on any failure.
    std::string Post(const char* script, const std::string& productType, const net::Form& fields);
    void ReportError(const std::string& reply, NewsFetch fetch);

    net::HttpClient& client_;
    const BrandingInfo& branding_;
    TMessageBox& messages_;
};
