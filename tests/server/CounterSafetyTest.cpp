// The counter inside a live site: it never holds a page up, counts only what someone sees,
// lets no visitor flood the lists, and never keeps a failure to itself.

#include "server/CounterFixture.h"

#include "serverkit/ServerProcesses.h"
#include "support/TempDir.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A request with any method, one optional extra header and an optional form body.
serverkit::HttpReply Send(int port, const std::string& method, const std::string& target,
    const serverkit::Header& header = {}, const std::string& body = "")
{
    std::string request = method + " " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port)
        + "\r\nUser-Agent: " + kBrowser + "\r\n";
    if (!header.first.empty())
        request += header.first + ": " + header.second + "\r\n";
    if (!body.empty())
        request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size())
            + "\r\n";
    return serverkit::SendRequest(port, request + "\r\n" + body);
}

// Takes the right to write `path` away from every process, root's included, and gives it
// back; false when this machine does not allow it (root without the immutable flag).
bool SetWritable(const std::string& path, bool writable)
{
    if (geteuid() == 0) {
        const std::optional<std::string> chattr = serverkit::FindProgram("chattr");
        if (!chattr || serverkit::RunProgram({*chattr, writable ? "-i" : "+i", path}, serverkit::ChildOptions{}) != 0)
            return false;
    } else {
        const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        fs::permissions(path, writable ? fs::perms::owner_write : write,
            writable ? fs::perm_options::add : fs::perm_options::remove);
    }
    if (writable)
        return true;
    // Proof that it took: this process can no longer write there either.
    const bool folder = fs::is_directory(path);
    const int fd = folder ? open((path + "/probe").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644)
                          : open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return true;
    close(fd);
    if (folder)
        fs::remove(path + "/probe");
    SetWritable(path, true);
    return false;
}

using CounterSafety = CounterServer;

TEST_P(CounterSafety, OnlyGetAndPostRequestsThatShowAPageCount)
{
    struct Case {
        const char* method;
        serverkit::Header header;
        const char* body;
        bool counts;
    };
    const std::vector<Case> cases = {
        {"GET", {}, "", true},
        {"POST", {}, "name=value", true},
        {"HEAD", {}, "", false},
        {"OPTIONS", {}, "", false},
        {"PUT", {}, "name=value", false},
        {"DELETE", {}, "", false},
        {"GET", {"Purpose", "prefetch"}, "", false},
        {"GET", {"Sec-Purpose", "prefetch;prerender"}, "", false},
        {"POST", {"Sec-Purpose", "Prefetch"}, "name=value", false},
        {"GET", {"X-Moz", "prefetch"}, "", false},
        {"GET", {"Accept", "text/html"}, "", true},
    };
    int expected = 0;
    for (const Case& request : cases) {
        SCOPED_TRACE(std::string(request.method) + " " + request.header.first + ": " + request.header.second);
        EXPECT_EQ(Send(stack->Port(), request.method, "/index.php", request.header, request.body).status, 200);
        expected += request.counts ? 1 : 0;
        EXPECT_EQ(HitsOf("/index.php"), expected);
    }
}

TEST_P(CounterSafety, AViewCountsForTheScriptThatRanOnTheHostAsALinkWritesIt)
{
    struct Case {
        std::string target;
        std::string host; // empty: the site's own
        std::string page;
    };
    const std::string products = stack->PageUrl("/products.php");
    const std::vector<Case> cases = {
        {"/products.php/spam1", "", products},
        {"/products.php/spam2?q=1", "", products},
        {"/products.php/a,b%5E%22c'd", "", products},
        {"/products.php/" + std::string(10000, 'p'), "", products},
        {"/blog/post.php/", "", stack->PageUrl("/blog/post.php")},
        {"/?from=home", "", stack->PageUrl("/index.php")},
        {"/index.php", "Example.COM.", "http://example.com/index.php"},
        {"/index.php", "example.com:80", "http://example.com/index.php"},
        {"/index.php", "EXAMPLE.com.:8080", "http://example.com:8080/index.php"},
        {"/index.php", "[::1]:80", "http://[::1]/index.php"},
    };
    std::map<std::string, int> expected;
    for (const Case& view : cases) {
        EXPECT_EQ(View(view.target, "", kBrowser, view.host).status, 200) << view.target;
        ++expected[view.page];
    }
    std::map<std::string, int> hits;
    for (const auto& [url, page] : Pages())
        hits[url] = page.first;
    EXPECT_EQ(hits, expected);
}

TEST_P(CounterSafety, AfterAFailedViewTheNextViewsLeaveTheDatabaseAloneForAWhile)
{
    View("/index.php");
    stack->HangDatabase();
    const serverkit::HttpReply hung = View("/index.php");
    stack->ResumeDatabase();
    EXPECT_EQ(hung.status, 200);
    EXPECT_TRUE(fs::exists(stack->CounterFailureFile()));

    // The database answers again, but the pause holds for every worker of the site.
    for (const std::string& page : kSamplePages)
        EXPECT_EQ(View(page).status, 200);
    EXPECT_EQ(Pages().size(), 1u) << "views made during the pause were counted";
    EXPECT_EQ(HitsOf("/index.php"), 1);

    // Once the pause is over, the next view tries again, is stored and clears the marker.
    fs::last_write_time(stack->CounterFailureFile(), fs::file_time_type::clock::now() - 31s);
    View("/index.php");
    EXPECT_EQ(HitsOf("/index.php"), 2);
    EXPECT_FALSE(fs::exists(stack->CounterFailureFile()));
    EXPECT_EQ(Action({{"action", "1"}}), "OK");
}

TEST_P(CounterSafety, ARequestOfTheProgramToAHungDatabaseFailsBeforeTheProgramGivesUp)
{
    for (const std::string& page : kSamplePages)
        View(page);
    stack->HangDatabase();
    // The program waits a minute at most; an answer past that would reach it as no answer.
    const std::string answer = Action({{"action", "2"}, {"deleteids", "all"}});
    stack->ResumeDatabase();
    EXPECT_EQ(answer, "DBFAIL");
    EXPECT_EQ(Pages().size(), kSamplePages.size()) << "a failed delete deleted something";
}

TEST_P(CounterSafety, ADatabaseThatTakesNoWritesIsReportedAndTheViewsItLostAreRemembered)
{
    struct Unwritable {
        std::string name;
        std::string word; // what the check answers meanwhile
        std::function<bool()> make; // false: cannot be done on this machine
        std::function<void()> undo;
    };
    std::vector<Unwritable> cases;
    if (GetParam() == Backend::MariaDb) {
        serverkit::MariaDbServer* mariadb = stack->MariaDb();
        ServerStack* site = stack;
        const ServerSettings settings = stack->CounterSettings();
        const std::string database = serverkit::MariaDbServer::Identifier(ServerStack::kCounterDatabase);
        const auto asUser = [=](const std::string& user, const std::string& grants) {
            mariadb->Execute("CREATE USER IF NOT EXISTS '" + user + "'@'127.0.0.1' IDENTIFIED BY 'secret';\nGRANT "
                + grants + " ON " + database + ".* TO '" + user + "'@'127.0.0.1';\n");
            ServerSettings limited = settings;
            limited.username = user;
            limited.password = "secret";
            site->WriteConfig(site->CounterFolder(), limited);
        };
        cases = {
            {"server in read-only mode", "READONLY",
                [=] {
                    asUser("writer", "SELECT, INSERT, UPDATE, DELETE, CREATE");
                    mariadb->Execute("SET GLOBAL read_only = 1;\n");
                    return true;
                },
                [=] {
                    mariadb->Execute("SET GLOBAL read_only = 0;\n");
                    site->WriteConfig(site->CounterFolder(), settings);
                }},
            {"user who may only read", "DENIED",
                [=] {
                    asUser("reader", "SELECT");
                    return true;
                },
                [=] { site->WriteConfig(site->CounterFolder(), settings); }},
        };
    } else {
        const std::string file = stack->CounterSqliteFile();
        const std::string folder = fs::path(file).parent_path().string();
        cases = {
            {"read-only file", "READONLY", [file] { return SetWritable(file, false); },
                [file] { SetWritable(file, true); }},
            {"read-only folder", "READONLY", [folder] { return SetWritable(folder, false); },
                [folder] { SetWritable(folder, true); }},
        };
    }
    for (const Unwritable& unwritable : cases) {
        SCOPED_TRACE(unwritable.name);
        stack->ResetCounterDatabase();
        View("/index.php");
        EXPECT_EQ(Action({{"action", "1"}}), "OK");
        if (!unwritable.make())
            GTEST_SKIP() << "this machine cannot take the right to write away from this process (" << unwritable.name
                         << ")";
        const std::string check = Action({{"action", "1"}});
        const serverkit::HttpReply lost = View("/index.php");
        unwritable.undo();
        EXPECT_EQ(check, unwritable.word);
        EXPECT_EQ(lost.status, 200);

        // Writable again: the check says a view was lost until the next view is stored.
        EXPECT_EQ(Action({{"action", "1"}}), "COUNTFAIL");
        View("/index.php");
        EXPECT_EQ(Action({{"action", "1"}}), "OK");
        EXPECT_EQ(HitsOf("/index.php"), 2);
    }
}

TEST_P(CounterSafety, NewPagesAreCappedAnHourWhileKnownPagesStillCount)
{
    // A flood of made-up hosts, each a page of its own. Run again should the hour turn meanwhile.
    for (int attempt = 0; attempt < 2; ++attempt) {
        stack->ResetCounterDatabase();
        const long hour = CurrentHour();
        View("/index.php");
        constexpr int kFlood = 1003;
        std::atomic<int> next = 0;
        std::atomic<int> failed = 0;
        std::vector<std::thread> visitors;
        for (int t = 0; t < 4; ++t) {
            visitors.emplace_back([&] {
                for (int i = next++; i < kFlood; i = next++)
                    if (View("/products.php", "", kBrowser, "flood" + std::to_string(i) + ".example").status != 200)
                        ++failed;
            });
        }
        for (std::thread& visitor : visitors)
            visitor.join();
        View("/index.php");
        View("/index.php", "", kBrowser, "flood0.example");
        if (CurrentHour() != hour)
            continue;

        EXPECT_EQ(failed, 0);
        const auto pages = Pages();
        EXPECT_EQ(pages.size(), 1000u);
        EXPECT_EQ(pages.at(stack->PageUrl("/index.php")).first, 2);
        EXPECT_EQ(pages.at("http://flood0.example/products.php").first, 1);
        EXPECT_FALSE(pages.count("http://flood0.example/index.php")) << "a new page past the cap was made";
        EXPECT_EQ(Action({{"action", "1"}}), "OK") << "a dropped view is no failure";
        return;
    }
    GTEST_SKIP() << "the hour turned twice during the flood";
}

TEST_P(CounterSafety, NewReferersAreCappedAnHourWhileTheirViewsStillCount)
{
    View("/index.php", "https://known.example/");
    // As if this hour had made all but one of the referer records it may make.
    stack->ExecuteCounterSql(
        "UPDATE tallywick_hours SET newreferers = 9999 WHERE hour = " + std::to_string(CurrentHour()) + ";");
    for (const char* referer :
        {"https://first.example/", "https://second.example/", "https://third.example/", "https://known.example/"})
        View("/index.php", referer);

    EXPECT_EQ(HitsOf("/index.php"), 5);
    EXPECT_EQ(AsSet(Referers(CodeOf("/index.php"), 0, 1)),
        (std::multiset<RefererRow>{
            {"known.example", "", "No Advertising", 2}, {"first.example", "", "No Advertising", 1}}));
}

TEST_P(CounterSafety, TheCountingIncludeLeavesEveryKindOfPageAsItWas)
{
    const std::string count = fs::canonical(stack->CounterFolder() + "/count.php").string();
    const std::string guarded = "if (is_file('" + count + "')) include '" + count + "';";
    const std::string variables
        = "implode(',', array_filter(array_keys(get_defined_vars()), fn ($n) => $n[0] !== '_'))";
    struct Page {
        std::string name;
        std::string opening; // the page's own first statement, which the plain copy keeps
        std::string line; // the counter's, which the plain copy leaves out
        std::string code;
        bool counts;
    };
    const std::vector<Page> pages = {
        {"strict.php", "<?php declare(strict_types=1); ", guarded,
            "\n$title = 'Strict';\nfunction twice(int $n): int { return 2 * $n; }\necho $title, ' ', twice(21), ' ', "
                + variables + ";\n",
            true},
        {"namespaced.php", "<?php\nnamespace Shop\\Pages; ", guarded,
            "\nconst NAME = 'Shop';\nfunction title(): string { return NAME; }\necho title(), ' ', __NAMESPACE__, ' ', "
                + variables + ";\n",
            true},
        {"guarded.php", "", "<?php " + guarded + "?>\r\n",
            "<?php $title = 'Guarded'; ?><h1><?php echo $title, ' ', " + variables + "; ?></h1>\n", true},
        {"throwing.php",
            "<?php set_error_handler(static function (int $n, string $s): bool { throw new ErrorException($s); }); ",
            guarded, "\necho 'alive ', " + variables + ";\n", true},
        {"moved.php", "", "<?php if (is_file('/gone/count.php')) include '/gone/count.php';?>\r\n",
            "<p><?php echo 'no counter here'; ?></p>\n", false},
    };
    const std::string folder = stack->Folder() + "/site/handmade";
    fs::create_directories(folder + "/plain");
    for (const Page& page : pages) {
        WriteWholeFile(folder + "/" + page.name, page.opening + page.line + page.code);
        WriteWholeFile(folder + "/plain/" + page.name, page.opening + page.code);
    }
    const auto expectAsPlain = [&](const char* when) {
        for (const Page& page : pages) {
            SCOPED_TRACE(page.name + " " + when);
            const serverkit::HttpReply counted = View("/handmade/" + page.name);
            const serverkit::HttpReply plain = View("/handmade/plain/" + page.name);
            EXPECT_EQ(counted.status, 200);
            EXPECT_EQ(plain.status, 200);
            EXPECT_EQ(counted.body, plain.body);
        }
    };

    expectAsPlain("with the database");
    const auto listed = Pages();
    for (const Page& page : pages)
        EXPECT_EQ(listed.count(stack->PageUrl("/handmade/" + page.name)), page.counts ? 1u : 0u) << page.name;

    ServerSettings refusing = stack->CounterSettings();
    refusing.hostname = GetParam() == Backend::MariaDb ? "127.0.0.1:1" : "sqlite:/no/such/folder/counter.sqlite";
    stack->WriteConfig(stack->CounterFolder(), refusing);
    expectAsPlain("with a database that refuses");
    stack->WriteConfig(stack->CounterFolder(), stack->CounterSettings());
}

// Only SQLite lets a reader hold writers up.
using SqliteCounterSafety = CounterServer;

TEST_P(SqliteCounterSafety, ViewsCountWhileTheProgramReadsTheList)
{
    View("/index.php");
    {
        const auto reader = stack->HoldSqliteTransaction("BEGIN; SELECT COUNT(*) FROM tallywick_pages;");
        EXPECT_EQ(View("/index.php").status, 200);
        EXPECT_EQ(View("/contact.php").status, 200);
    }
    EXPECT_EQ(HitsOf("/index.php"), 2);
    EXPECT_EQ(HitsOf("/contact.php"), 1);
    EXPECT_EQ(Action({{"action", "1"}}), "OK");
}

INSTANTIATE_TEST_SUITE_P(Sqlite, CounterSafety, testing::Values(Backend::Sqlite), BackendName);
INSTANTIATE_TEST_SUITE_P(MariaDb, CounterSafety, testing::Values(Backend::MariaDb), BackendName);
INSTANTIATE_TEST_SUITE_P(Sqlite, SqliteCounterSafety, testing::Values(Backend::Sqlite), BackendName);

} // namespace
