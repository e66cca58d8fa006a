// The counter's scripts on PHP's built-in server (8 workers), on SQLite and on a MariaDB
// server over loopback: what one counted view adds to a page (against the same page without
// the include line); how long the page list of 100,000 pages and the referers of a page with
// 100,000 referer records take to come back through the program's own request; views counted
// while the program reads a list of 300,000 pages from SQLite; and the pages a second the site
// serves with its MariaDB server frozen, against the same site healthy; the hits of each
// hour (action 5) for the whole site and for 10 pages over a year, with 5,000,000 page-hour
// buckets stored, and the bytes a bucket takes on disk.
//
// TALLYWICK_BENCH_COUNTER_SCRIPTS names another folder of counter scripts to measure, such as
// those of an earlier version.

#include "net/Requests.h"
#include "serverkit/CounterSite.h"
#include "serverkit/ServerProcesses.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPages = 100000;
constexpr int kReferers = 100000;
constexpr int kBucketPages = 1000;
constexpr int kBucketHours = 5000;
constexpr int kWorkers = 8;

std::string CounterScripts()
{
    const char* other = std::getenv("TALLYWICK_BENCH_COUNTER_SCRIPTS");
    return other && *other ? other : std::string(TALLYWICK_SERVER_SCRIPTS) + "/counter";
}
const std::string kPage = "<html><head><title>Bench</title></head>\n<body><p>An ordinary page.</p></body></html>\n";
const std::vector<serverkit::Header> kVisitor
    = {{"User-Agent", "Mozilla/5.0 (X11; Linux x86_64; rv:115.0) Gecko/20100101 Firefox/115.0"},
        {"Referer", "https://www.google.com/search?q=benchmark+keyword"}};

// One database kind with the scripts in front of it, filled for the list answers.
struct Stack {
    std::string name;
    fs::path folder;
    std::optional<serverkit::MariaDbServer> mariadb;
    std::optional<serverkit::PhpServer> web;
    std::string counterUrl;
    std::string popularPage; // the code of the page with the many referers, the first with buckets
    double bucketBytes = 0; // what the page buckets take in the database, as it says
    net::HttpClient http{[] {}};

    std::string Post(const net::Form& fields)
    {
        return net::PostForm(http, net::FormProfile::UserServer, counterUrl, "actions.php", fields);
    }
};

std::unique_ptr<Stack> MakeStack(const std::string& name, const fs::path& folder, const std::string& php, int pages,
    int referers, int bucketPages = 0, int bucketHours = 0)
{
    auto stack = std::make_unique<Stack>();
    stack->name = name;
    stack->folder = folder / name;
    ServerSettings settings;
    if (name.compare(0, 7, "MariaDB") == 0) {
        // A buffer pool that holds the tables, as on a host that serves them every day.
        stack->mariadb.emplace(
            (stack->folder / "mariadb").string(), std::vector<std::string>{"--innodb-buffer-pool-size=128M"});
        stack->mariadb->Execute("CREATE DATABASE counter;\nCREATE USER 'bench'@'127.0.0.1' IDENTIFIED BY 'bench';\n"
                                "GRANT ALL ON counter.* TO 'bench'@'127.0.0.1';\n");
        settings = {"", stack->mariadb->Host(), "counter", "bench", "bench"};
    } else {
        fs::create_directories(stack->folder / "data");
        settings = {"", "sqlite:../../data/counter.sqlite", "", "", ""};
    }
    const fs::path site = stack->folder / "site";
    serverkit::InstallScripts(CounterScripts(), (site / "counter").string(), settings);
    std::ofstream(site / "counted.php", std::ios::binary) << kPage;

    stack->web.emplace(php, site.string(), (stack->folder / "php.log").string(), kWorkers);
    stack->counterUrl = stack->web->Url() + "/counter";
    serverkit::PreparePages(stack->http, stack->counterUrl, site.string(), {(site / "counter").string()});
    // The same page without its include line.
    std::ifstream prepared(site / "counted.php", std::ios::binary);
    std::string line;
    std::getline(prepared, line);
    fs::create_directories(site / "plain");
    std::ofstream(site / "plain" / "page.php", std::ios::binary) << prepared.rdbuf();

    const std::string output = (stack->folder / "fill.log").string();
    if (serverkit::RunProgram({php, std::string(TALLYWICK_BENCH_SCRIPTS) + "/fill-counter.php",
                                  (site / "counter").string(), std::to_string(pages), std::to_string(referers),
                                  std::to_string(bucketPages), std::to_string(bucketHours)},
            {output, "", {}})
        != 0)
        throw std::runtime_error("filling the " + name + " tables failed: " + serverkit::ReadLog(output));
    std::ifstream in(output);
    in >> stack->popularPage;
    std::string word;
    if (in >> word && word == "bucket_bytes")
        in >> stack->bucketBytes;
    // The program's check comes first, as at every start of the program.
    stack->Post({{"action", "1"}});
    return stack;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Each round views the page without the counter, then the same page with it. Medians, so
// that the other work of a shared machine does not blur the difference.
void CountedView(benchmark::State& state, Stack* stack)
{
    std::vector<double> plain, counted;
    for (auto _ : state) {
        const auto start = Clock::now();
        const serverkit::HttpReply without = serverkit::Visit(stack->web->Port(), "/plain/page.php", kVisitor);
        const auto middle = Clock::now();
        const serverkit::HttpReply with = serverkit::Visit(stack->web->Port(), "/counted.php", kVisitor);
        counted.push_back(std::chrono::duration<double, std::milli>(Clock::now() - middle).count());
        plain.push_back(std::chrono::duration<double, std::milli>(middle - start).count());
        if (without.status != 200 || with.body != without.body) {
            state.SkipWithError("the pages did not come back whole");
            return;
        }
    }
    state.counters["plain_ms"] = Median(plain);
    state.counters["counted_ms"] = Median(counted);
    state.counters["added_ms"] = Median(counted) - Median(plain);
}

// The same with MariaDB writing its log to disk once a second instead of at every commit,
// which shows the scripts' own share apart from the server's wait for the disk.
void CountedViewFlushingEachSecond(benchmark::State& state, Stack* stack)
{
    stack->mariadb->Execute("SET GLOBAL innodb_flush_log_at_trx_commit = 2;\n");
    CountedView(state, stack);
    stack->mariadb->Execute("SET GLOBAL innodb_flush_log_at_trx_commit = 1;\n");
}

void PageList(benchmark::State& state, Stack* stack)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string answer = stack->Post({{"action", "3"}});
        if (answer.size() < 3 || answer.compare(answer.size() - 3, 3, "^OK") != 0) {
            state.SkipWithError(("no page list: " + answer.substr(0, 100)).c_str());
            return;
        }
        bytes = answer.size();
    }
    state.counters["answer_bytes"] = static_cast<double>(bytes);
}

void Referers(benchmark::State& state, Stack* stack, int queryType)
{
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string answer = stack->Post({{"action", "4"}, {"querytype", std::to_string(queryType)},
            {"reftype", "1"}, {"pagecod", stack->popularPage}});
        if (answer.size() < 3 || answer.compare(answer.size() - 3, 3, "^OK") != 0) {
            state.SkipWithError(("no referer list: " + answer.substr(0, 100)).c_str());
            return;
        }
        bytes = answer.size();
    }
    state.counters["answer_bytes"] = static_cast<double>(bytes);
}

// The hits of each hour of the last 8,760 for the whole site (pages 0) or for that many pages
// with buckets. The bytes a bucket takes: as the database counts its pages, and for MariaDB
// also the size of the table's file.
void History(benchmark::State& state, Stack* stack, int pages)
{
    std::string codes = pages == 0 ? "all" : "";
    for (int i = 0; i < pages; ++i)
        codes += (codes.empty() ? "" : ",") + std::to_string(std::stol(stack->popularPage) + i * 97 % kBucketPages);
    const long to = static_cast<long>(std::time(nullptr)) / 3600 * 3600;
    const long from = to - 8759L * 3600;
    std::size_t records = 0;
    for (auto _ : state) {
        const std::string answer = stack->Post(
            {{"action", "5"}, {"pagecods", codes}, {"fromhour", std::to_string(from)}, {"tohour", std::to_string(to)}});
        if (answer.size() < 3 || answer.compare(answer.size() - 3, 3, "^OK") != 0) {
            state.SkipWithError(("no history: " + answer.substr(0, 100)).c_str());
            return;
        }
        records = static_cast<std::size_t>(std::count(answer.begin(), answer.end(), '^'));
    }
    state.counters["records"] = static_cast<double>(records);
    constexpr double kBuckets = static_cast<double>(kBucketPages) * kBucketHours;
    state.counters["bytes_per_bucket"] = stack->bucketBytes / kBuckets;
    if (stack->mariadb) {
        const fs::path file = stack->folder / "mariadb" / "data" / "counter" / "tallywick_page_hours.ibd";
        std::error_code error;
        const auto size = fs::file_size(file, error);
        if (!error)
            state.counters["file_bytes_per_bucket"] = static_cast<double>(size) / kBuckets;
    }
}

// Delete All with all of the above stored, as the program waits for it. It empties the stack,
// so it comes last.
void DeleteAll(benchmark::State& state, Stack* stack)
{
    for (auto _ : state) {
        const std::string answer = stack->Post({{"action", "2"}, {"deleteids", "all"}});
        if (answer != "OK") {
            state.SkipWithError(("Delete All failed: " + answer.substr(0, 100)).c_str());
            return;
        }
    }
}

// The hits the page list gives the page counted.php, -1 when it is not listed.
long CountedHits(Stack* stack)
{
    const std::string answer = stack->Post({{"action", "3"}});
    const std::string key = "/counted.php\",\"";
    const std::size_t at = answer.find(key);
    return at == std::string::npos ? (answer.find("OK") == std::string::npos ? -2 : -1)
                                   : std::atol(answer.c_str() + at + key.size());
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()))];
}

// 1,000 views from 20 visitors at once, while the program asks for the whole page list
// again and again (or, for comparison, without it): how many are counted, and how long a
// page takes.
void ViewsWhileTheListIsRead(benchmark::State& state, Stack* stack, bool reading)
{
    constexpr int kVisitors = 20;
    constexpr int kViewsEach = 50;
    for (auto _ : state) {
        const long before = std::max(0L, CountedHits(stack));
        std::atomic<bool> viewing = true;
        std::atomic<int> lists = 0;
        std::thread reader([&] {
            net::HttpClient http([] {});
            while (viewing && reading) {
                const std::string answer = net::PostForm(
                    http, net::FormProfile::UserServer, stack->counterUrl, "actions.php", {{"action", "3"}});
                if (answer.find("OK") != std::string::npos)
                    ++lists;
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the reader is at work
        std::vector<std::vector<double>> times(kVisitors);
        std::atomic<int> failed = 0;
        std::vector<std::thread> visitors;
        for (int v = 0; v < kVisitors; ++v) {
            visitors.emplace_back([&, v] {
                for (int i = 0; i < kViewsEach; ++i) {
                    const auto start = Clock::now();
                    if (serverkit::Visit(stack->web->Port(), "/counted.php", kVisitor).status != 200)
                        ++failed;
                    times[v].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                }
            });
        }
        for (std::thread& visitor : visitors)
            visitor.join();
        viewing = false;
        reader.join();
        std::vector<double> all;
        for (const auto& some : times)
            all.insert(all.end(), some.begin(), some.end());
        state.counters["views"] = static_cast<double>(all.size());
        state.counters["counted"] = static_cast<double>(CountedHits(stack) - before);
        state.counters["failed"] = failed.load();
        state.counters["p50_ms"] = Percentile(all, 0.50);
        state.counters["p99_ms"] = Percentile(all, 0.99);
        state.counters["max_ms"] = Percentile(all, 1.0);
        state.counters["lists_read"] = lists.load();
    }
}

// Pages a second that 20 visitors at once get from the site for `duration`.
double PagesPerSecond(Stack* stack, std::chrono::seconds duration)
{
    std::atomic<long> pages = 0;
    const auto end = Clock::now() + duration;
    std::vector<std::thread> visitors;
    for (int v = 0; v < 20; ++v) {
        visitors.emplace_back([&] {
            while (Clock::now() < end)
                if (serverkit::Visit(stack->web->Port(), "/counted.php", kVisitor).status == 200)
                    ++pages;
        });
    }
    for (std::thread& visitor : visitors)
        visitor.join();
    return static_cast<double>(pages) / static_cast<double>(duration.count());
}

// The same visitors against the healthy site, then with its database server frozen.
void PagesWithTheDatabaseHung(benchmark::State& state, Stack* stack)
{
    for (auto _ : state) {
        const double healthy = PagesPerSecond(stack, std::chrono::seconds(10));
        stack->mariadb->Freeze();
        const double hung = PagesPerSecond(stack, std::chrono::seconds(10));
        stack->mariadb->Resume();
        // The check ends the pause and a stored view clears the failure, for the next benchmarks.
        stack->Post({{"action", "1"}});
        serverkit::Visit(stack->web->Port(), "/counted.php", kVisitor);
        state.counters["healthy_pages_per_s"] = healthy;
        state.counters["hung_pages_per_s"] = hung;
        state.counters["hung_share"] = healthy > 0 ? hung / healthy : 0;
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const std::optional<std::string> php = serverkit::FindProgram("php");
    if (!php) {
        std::cerr << "php is not installed (php-cli, php-sqlite3, php-mysql); nothing to measure\n";
        return 0;
    }
    std::string pattern = (fs::temp_directory_path() / "tallywick-bench-server-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    const fs::path folder = pattern;

    std::vector<std::unique_ptr<Stack>> stacks;
    try {
        std::cerr << "Filling " << kPages << " pages and " << kReferers << " referer records on SQLite..." << std::endl;
        stacks.push_back(MakeStack("SQLite", folder, *php, kPages, kReferers, kBucketPages, kBucketHours));
        std::cerr << "... 300000 pages on another SQLite..." << std::endl;
        stacks.push_back(MakeStack("SQLite-300000pages", folder, *php, 300000, 0));
        if (serverkit::FindProgram("mariadbd")) {
            std::cerr << "... and on MariaDB..." << std::endl;
            stacks.push_back(MakeStack("MariaDB", folder, *php, kPages, kReferers, kBucketPages, kBucketHours));
        } else {
            std::cerr << "mariadbd is not installed (mariadb-server); measuring SQLite only" << std::endl;
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << std::endl;
        stacks.clear();
        fs::remove_all(folder);
        return 1;
    }
    for (const auto& stack : stacks) {
        Stack* s = stack.get();
        if (s->name == "SQLite-300000pages") {
            for (bool reading : {false, true})
                benchmark::RegisterBenchmark(
                    reading ? "ViewsWhileTheListIsRead/300000pages/SQLite" : "ViewsWithoutAReader/300000pages/SQLite",
                    ViewsWhileTheListIsRead, s, reading)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1)
                    ->UseRealTime();
            continue;
        }
        if (s->mariadb)
            benchmark::RegisterBenchmark(("PagesWithTheDatabaseHung/" + s->name).c_str(), PagesWithTheDatabaseHung, s)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1)
                ->UseRealTime();
        benchmark::RegisterBenchmark(("CountedView/" + s->name).c_str(), CountedView, s)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(2.0);
        if (s->mariadb)
            benchmark::RegisterBenchmark(
                ("CountedView/" + s->name + "/log-flushed-each-second").c_str(), CountedViewFlushingEachSecond, s)
                ->Unit(benchmark::kMillisecond)
                ->MinTime(2.0);
        benchmark::RegisterBenchmark(("PageListAnswer/100000pages/" + s->name).c_str(), PageList, s)
            ->Unit(benchmark::kMillisecond);
        if (s->bucketBytes > 0)
            for (int pages : {0, 10})
                benchmark::RegisterBenchmark(("HistoryAnswer/5000000buckets/8760hours/"
                                                 + (pages == 0 ? std::string("site") : "10pages") + "/" + s->name)
                                                 .c_str(),
                    History, s, pages)
                    ->Unit(benchmark::kMillisecond);
        for (int queryType : {0, 1, 2})
            benchmark::RegisterBenchmark(
                ("RefererAnswer/100000records/querytype" + std::to_string(queryType) + "/" + s->name).c_str(), Referers,
                s, queryType)
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("DeleteAllAnswer/" + s->name).c_str(), DeleteAll, s)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    stacks.clear();
    fs::remove_all(folder);
    return 0;
}
