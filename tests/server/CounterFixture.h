#pragma once

// The counter's scripts on the stack of the test's parameter, as the program and visitors
// reach them: the program's own requests and answer readers, and visits with chosen headers.

#include "server/ServerStack.h"

#include "net/Requests.h"
#include "stats/StatisticsAnswer.h"
#include "support/CellRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

inline constexpr const char* kBrowser = "Mozilla/5.0 (X11; Linux x86_64; rv:115.0) Gecko/20100101 Firefox/115.0";

// A referer row as the program shows it: domain, keyword, type text, hits.
using RefererRow = std::tuple<std::string, std::string, std::string, int>;

// The hour the counter files a view under now: Unix seconds, a whole hour.
inline long CurrentHour()
{
    return static_cast<long>(std::time(nullptr)) / 3600 * 3600;
}

inline bool IsDecimal(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

class CounterServer : public ServerStackTest {
protected:
    using Outcome = StatisticsAnswer::Outcome;

    void SetUp() override
    {
        ServerStackTest::SetUp();
        if (stack)
            stack->ResetCounterDatabase();
    }

    std::string Action(const net::Form& fields)
    {
        return net::PostForm(
            TestHttpClient(), net::FormProfile::UserServer, stack->CounterUrl(), "actions.php", fields);
    }

    serverkit::HttpReply View(const std::string& target, const std::string& referer = "",
        const char* userAgent = kBrowser, const std::string& host = "")
    {
        std::vector<serverkit::Header> headers;
        if (userAgent)
            headers.emplace_back("User-Agent", userAgent);
        if (!referer.empty())
            headers.emplace_back("Referer", referer);
        if (!host.empty())
            headers.emplace_back("Host", host);
        return serverkit::Visit(stack->Port(), target, headers);
    }

    std::string Self() const { return "127.0.0.1:" + std::to_string(stack->Port()); }

    // The page list as the program reads it: URL to (hits, code).
    std::map<std::string, std::pair<int, std::string>> Pages()
    {
        const std::string answer = Action({{"action", "3"}});
        const StatisticsAnswer read = ReadPageListAnswer(answer);
        EXPECT_NE(read.outcome, Outcome::StoppedShort) << answer;
        std::map<std::string, std::pair<int, std::string>> pages;
        for (const auto& row : RowsOf(read.rows)) {
            EXPECT_TRUE(IsDecimal(row[2])) << row[2];
            EXPECT_TRUE(IsDecimal(row[1])) << row[1];
            EXPECT_FALSE(pages.count(row[0])) << "listed twice: " << row[0];
            pages[row[0]] = {std::stoi(row[1]), row[2]};
        }
        return pages;
    }

    // The hits of a page of the sample site, 0 when it is not listed.
    int HitsOf(const std::string& path)
    {
        const auto pages = Pages();
        const auto page = pages.find(stack->PageUrl(path));
        return page == pages.end() ? 0 : page->second.first;
    }

    std::string CodeOf(const std::string& path)
    {
        const auto pages = Pages();
        const auto page = pages.find(stack->PageUrl(path));
        return page == pages.end() ? std::string() : page->second.second;
    }

    // The referers of a page as the program reads them, in the server's order.
    std::vector<RefererRow> Referers(const std::string& code, int queryType, int refType)
    {
        const std::string answer = Action({{"action", "4"}, {"querytype", std::to_string(queryType)},
            {"reftype", std::to_string(refType)}, {"pagecod", code}});
        EXPECT_NE(answer.find("OK"), std::string::npos) << answer;
        const StatisticsAnswer read = ReadRefererAnswer(answer);
        EXPECT_NE(read.outcome, Outcome::StoppedShort) << answer;
        std::vector<RefererRow> rows;
        for (const auto& row : RowsOf(read.rows)) {
            EXPECT_TRUE(IsDecimal(row[3])) << row[3];
            EXPECT_TRUE(IsDecimal(row[4])) << row[4];
            rows.emplace_back(row[0], row[1], row[2], IsDecimal(row[3]) ? std::stoi(row[3]) : -1);
        }
        return rows;
    }

    static std::multiset<RefererRow> AsSet(const std::vector<RefererRow>& rows) { return {rows.begin(), rows.end()}; }
};
