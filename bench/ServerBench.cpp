// The counter's scripts on PHP's built-in server, on SQLite and on a MariaDB server over
// loopback: what one counted view adds to a page (against the same page without the include
// line), and how long the page list of 100,000 pages and the referers of a page with
// 100,000 referer records take to come back through the program's own request.

#include "net/Requests.h"
#include "serverkit/CounterSite.h"
#include "serverkit/ServerProcesses.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPages = 100000;
constexpr int kReferers = 100000;
const std::string kScripts = TALLYWICK_SERVER_SCRIPTS;
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
    std::string popularPage; // the code of the page with the many referers
    net::HttpClient http{[] {}};

    std::string Post(const net::Form& fields)
    {
        return net::PostForm(http, net::FormProfile::UserServer, counterUrl, "actions.php", fields);
    }
};

std::unique_ptr<Stack> MakeStack(const std::string& name, const fs::path& folder, const std::string& php)
{
    auto stack = std::make_unique<Stack>();
    stack->name = name;
    stack->folder = folder / name;
    ServerSettings settings;
    if (name == "MariaDB") {
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
    serverkit::InstallScripts(kScripts + "/counter", (site / "counter").string(), settings);
    std::ofstream(site / "counted.php", std::ios::binary) << kPage;

    stack->web.emplace(php, site.string(), (stack->folder / "php.log").string());
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
                                  (site / "counter").string(), std::to_string(kPages), std::to_string(kReferers)},
            {output, "", {}})
        != 0)
        throw std::runtime_error("filling the " + name + " tables failed: " + serverkit::ReadLog(output));
    std::ifstream in(output);
    in >> stack->popularPage;
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
        stacks.push_back(MakeStack("SQLite", folder, *php));
        if (serverkit::FindProgram("mariadbd")) {
            std::cerr << "... and on MariaDB..." << std::endl;
            stacks.push_back(MakeStack("MariaDB", folder, *php));
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
        for (int queryType : {0, 1, 2})
            benchmark::RegisterBenchmark(
                ("RefererAnswer/100000records/querytype" + std::to_string(queryType) + "/" + s->name).c_str(), Referers,
                s, queryType)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    stacks.clear();
    fs::remove_all(folder);
    return 0;
}
