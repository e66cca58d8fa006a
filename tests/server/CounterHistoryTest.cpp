// The counter's hours: every counted view lands in the bucket of its page and hour and in the
// site's, robots in theirs; deleting pages clears their hours; action 5 answers them.

#include "server/CounterFixture.h"

#include <regex>
#include <utility>

namespace {

using Hours = std::vector<std::pair<long, long>>; // hour, hits

constexpr const char* kRobot = "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)";

class CounterHistory : public CounterServer {
protected:
    std::string HistoryAnswer(const std::string& pageCodes, long from, long to)
    {
        return Action({{"action", "5"}, {"pagecods", pageCodes}, {"fromhour", std::to_string(from)},
            {"tohour", std::to_string(to)}});
    }

    // The answer read strictly by its grammar; a record out of it fails the test.
    Hours History(const std::string& pageCodes, long from, long to)
    {
        const std::string answer = HistoryAnswer(pageCodes, from, to);
        Hours hours;
        if (answer == "OK")
            return hours;
        EXPECT_TRUE(answer.size() > 3 && answer.compare(answer.size() - 3, 3, "^OK") == 0) << answer;
        static const std::regex record(R"re("([0-9]+)","([0-9]+)"(\^|$))re");
        std::size_t at = 0;
        const std::string records = answer.substr(0, answer.size() - 3);
        for (std::smatch match; std::regex_search(
                 records.begin() + at, records.end(), match, record, std::regex_constants::match_continuous);
             at += match.length())
            hours.emplace_back(std::stol(match[1]), std::stol(match[2]));
        EXPECT_EQ(at, records.size()) << "not a record: " << records.substr(at, 80);
        return hours;
    }

    std::string Codes(std::initializer_list<const char*> paths)
    {
        std::string codes;
        for (const char* path : paths)
            codes += (codes.empty() ? "" : ",") + CodeOf(path);
        return codes;
    }
};

TEST_P(CounterHistory, ViewsLandInTheHourOfTheirPageAndOfTheSiteRobotsInTheirOwn)
{
    // Run again should the hour turn meanwhile.
    for (int attempt = 0; attempt < 2; ++attempt) {
        stack->ResetCounterDatabase();
        const long hour = CurrentHour();
        for (int i = 0; i < 3; ++i)
            View("/index.php", "https://www.google.com/search?q=hours");
        View("/contact.php");
        View("/contact.php", "https://example.org/");
        View("/index.php", "", kRobot);
        View("/contact.php", "", "");
        View("/index.php", "", "Mozilla/5.0 (compatible; bingbot/2.0)");
        serverkit::SendRequest(stack->Port(), "HEAD /index.php HTTP/1.0\r\nHost: " + Self() + "\r\n\r\n");
        View("/counter/count.php");
        if (CurrentHour() != hour)
            continue;

        const long from = hour - 24 * 3600;
        const long to = hour + 3600;
        EXPECT_EQ(History("all", from, to), (Hours{{hour, 5}}));
        EXPECT_EQ(History("robots", from, to), (Hours{{hour, 3}}));
        EXPECT_EQ(History(CodeOf("/index.php"), from, to), (Hours{{hour, 3}}));
        EXPECT_EQ(History(CodeOf("/contact.php"), from, to), (Hours{{hour, 2}}));
        EXPECT_EQ(History(Codes({"/index.php", "/contact.php"}), from, to), (Hours{{hour, 5}}));
        // A page asked twice counts once; a code of no page adds nothing.
        EXPECT_EQ(History(Codes({"/index.php", "/index.php"}), from, to), (Hours{{hour, 3}}));
        EXPECT_EQ(History(CodeOf("/index.php") + ",987654", from, to), (Hours{{hour, 3}}));
        EXPECT_EQ(HistoryAnswer("987654", from, to), "OK");
        // The range holds its first and its last hour, and nothing outside them.
        EXPECT_EQ(History("all", hour, hour), (Hours{{hour, 5}}));
        EXPECT_EQ(HistoryAnswer("all", from, hour - 3600), "OK");
        EXPECT_EQ(HistoryAnswer("robots", hour + 3600, to), "OK");
        return;
    }
    GTEST_SKIP() << "the hour turned twice during the views";
}

// Hours from before this one, as the counter left them: buckets of index.php and contact.php
// three and two hours ago, and the site's hours that add them up.
TEST_P(CounterHistory, HoursComeBackAscendingAndDeletesTakeThemAway)
{
    View("/index.php");
    View("/contact.php");
    View("/products.php");
    View("/products.php", "", kRobot);
    const long now = CurrentHour();
    const long three = now - 3 * 3600;
    const long two = now - 2 * 3600;
    const std::string index = CodeOf("/index.php");
    const std::string contact = CodeOf("/contact.php");
    const std::string products = CodeOf("/products.php");
    stack->ExecuteCounterSql("INSERT INTO tallywick_page_hours (page, hour, hits) VALUES (" + index + ", "
        + std::to_string(two) + ", 7), (" + index + ", " + std::to_string(three) + ", 4), (" + contact + ", "
        + std::to_string(two) + ", 5);\nINSERT INTO tallywick_hours (hour, hits, robots) VALUES ("
        + std::to_string(three) + ", 4, 2), (" + std::to_string(two) + ", 12, 0);");
    if (CurrentHour() != now)
        GTEST_SKIP() << "the hour turned";

    const long from = now - 48 * 3600;
    EXPECT_EQ(History("all", from, now), (Hours{{three, 4}, {two, 12}, {now, 3}}));
    EXPECT_EQ(History(contact + "," + index, from, now), (Hours{{three, 4}, {two, 12}, {now, 2}}));
    EXPECT_EQ(History(index, two, now), (Hours{{two, 7}, {now, 1}}));
    EXPECT_EQ(History("robots", from, now), (Hours{{three, 2}, {now, 1}}));

    // A deleted page's hours leave the site's with it; the site's stay the sum of the pages left.
    EXPECT_EQ(Action({{"action", "2"}, {"deleteids", index}}), "OK");
    EXPECT_EQ(HistoryAnswer(index, from, now), "OK");
    EXPECT_EQ(History("all", from, now), (Hours{{two, 5}, {now, 2}}));
    EXPECT_EQ(History("all", from, now), History(contact + "," + products, from, now));
    EXPECT_EQ(History("robots", from, now), (Hours{{three, 2}, {now, 1}}));

    // On MariaDB, as a user who may not empty a table at once.
    const ServerSettings settings = stack->CounterSettings();
    if (serverkit::MariaDbServer* mariadb = stack->MariaDb()) {
        mariadb->Execute("CREATE USER IF NOT EXISTS 'nodrop'@'127.0.0.1' IDENTIFIED BY 'secret';\nGRANT SELECT, "
                         "INSERT, UPDATE, DELETE, CREATE ON "
            + serverkit::MariaDbServer::Identifier(ServerStack::kCounterDatabase) + ".* TO 'nodrop'@'127.0.0.1';\n");
        ServerSettings limited = settings;
        limited.username = "nodrop";
        limited.password = "secret";
        stack->WriteConfig(stack->CounterFolder(), limited);
    }
    const std::string deleted = Action({{"action", "2"}, {"deleteids", "all"}});
    stack->WriteConfig(stack->CounterFolder(), settings);
    EXPECT_EQ(deleted, "OK");
    for (const std::string& asked : {std::string("all"), std::string("robots"), contact, products})
        EXPECT_EQ(HistoryAnswer(asked, from, now), "OK") << asked;

    // Counting goes on as before.
    View("/index.php");
    EXPECT_EQ(History("all", from, now + 3600).size(), 1u);
}

TEST_P(CounterHistory, AnInstallationWithoutHoursGainsThemAndKeepsItsPages)
{
    View("/index.php", "https://www.google.com/search?q=before");
    // As the counter of the last version left its database: pages and referers only.
    stack->ExecuteCounterSql("DROP TABLE tallywick_hours;\nDROP TABLE tallywick_page_hours;");
    const long hour = CurrentHour();
    View("/index.php", "https://www.google.com/search?q=after");
    View("/index.php", "", kRobot);
    if (CurrentHour() != hour)
        GTEST_SKIP() << "the hour turned";

    EXPECT_EQ(HitsOf("/index.php"), 2);
    EXPECT_EQ(History("all", hour, hour), (Hours{{hour, 1}}));
    EXPECT_EQ(History(CodeOf("/index.php"), hour, hour), (Hours{{hour, 1}}));
    EXPECT_EQ(History("robots", hour, hour), (Hours{{hour, 1}}));
    EXPECT_EQ(Referers(CodeOf("/index.php"), 2, 1).size(), 2u);
}

TEST_P(CounterHistory, MalformedHistoryRequestsAnswerBadRequestAndChangeNothing)
{
    View("/index.php", "https://www.google.com/search?q=keep");
    View("/index.php", "", kRobot);
    const long hour = CurrentHour();
    const std::string list = Action({{"action", "3"}});
    const std::string code = CodeOf("/index.php");
    const std::string from = std::to_string(hour - 3600);
    const std::string to = std::to_string(hour + 3600);
    const std::string hours100001 = std::to_string(hour - 3600 + 100000L * 3600);

    struct Case {
        const char* name;
        net::Form fields;
    };
    const std::vector<Case> cases = {
        {"NoPages", {{"action", "5"}, {"fromhour", from}, {"tohour", to}}},
        {"NoFirstHour", {{"action", "5"}, {"pagecods", "all"}, {"tohour", to}}},
        {"NoLastHour", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", from}}},
        {"EmptyPages", {{"action", "5"}, {"pagecods", ""}, {"fromhour", from}, {"tohour", to}}},
        {"AllInCapitals", {{"action", "5"}, {"pagecods", "ALL"}, {"fromhour", from}, {"tohour", to}}},
        {"AllAndACode", {{"action", "5"}, {"pagecods", "all," + code}, {"fromhour", from}, {"tohour", to}}},
        {"EmptyCode", {{"action", "5"}, {"pagecods", code + ",," + code}, {"fromhour", from}, {"tohour", to}}},
        {"TrailingComma", {{"action", "5"}, {"pagecods", code + ","}, {"fromhour", from}, {"tohour", to}}},
        {"CodeWithSql", {{"action", "5"}, {"pagecods", "1 OR 1=1"}, {"fromhour", from}, {"tohour", to}}},
        {"NegativeCode", {{"action", "5"}, {"pagecods", "-1"}, {"fromhour", from}, {"tohour", to}}},
        {"PagesAsArray", {{"action", "5"}, {"pagecods[]", "all"}, {"fromhour", from}, {"tohour", to}}},
        {"WordForAnHour", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", "today"}, {"tohour", to}}},
        {"EmptyHour", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", ""}, {"tohour", to}}},
        {"NegativeHour", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", "-3600"}, {"tohour", to}}},
        {"HourWithFraction", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", from + ".0"}, {"tohour", to}}},
        {"HourWithBlank", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", " " + from}, {"tohour", to}}},
        {"HourInHex", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", "0xE10"}, {"tohour", to}}},
        {"HugeHour", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", from}, {"tohour", "99999999999999999999"}}},
        {"NotOnTheHour",
            {{"action", "5"}, {"pagecods", "all"}, {"fromhour", std::to_string(hour - 1)}, {"tohour", to}}},
        {"LastNotOnTheHour", {{"action", "5"}, {"pagecods", code}, {"fromhour", from}, {"tohour", to + "1"}}},
        {"FirstAfterLast", {{"action", "5"}, {"pagecods", "all"}, {"fromhour", to}, {"tohour", from}}},
        {"OverAHundredThousandHours",
            {{"action", "5"}, {"pagecods", "robots"}, {"fromhour", from}, {"tohour", hours100001}}},
    };
    for (const Case& request : cases)
        EXPECT_EQ(Action(request.fields), "BADREQUEST") << request.name;

    // A hundred thousand hours are allowed; the view and the robot are still where they were.
    EXPECT_EQ(
        HistoryAnswer("all", hour - 3600, hour - 3600 + 99999L * 3600), "\"" + std::to_string(hour) + "\",\"1\"^OK");
    EXPECT_EQ(HistoryAnswer("robots", hour, hour), "\"" + std::to_string(hour) + "\",\"1\"^OK");
    EXPECT_EQ(Action({{"action", "3"}}), list);
    EXPECT_EQ(Action({{"action", "1"}}), "OK");
}

INSTANTIATE_TEST_SUITE_P(Sqlite, CounterHistory, testing::Values(Backend::Sqlite), BackendName);
INSTANTIATE_TEST_SUITE_P(MariaDb, CounterHistory, testing::Values(Backend::MariaDb), BackendName);

} // namespace
