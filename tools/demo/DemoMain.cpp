// tallywick-demo: the whole product on this machine. It serves the counter's scripts with
// PHP's built-in server and an SQLite database in build/demo/, prepares a sample site with
// the program's own page preparation, sends it a few hundred varied visits, gives it 90 days
// of history before them, writes the settings for a copy of Tallywick in build/demo/ and
// opens it. Closing Tallywick ends the demo; the settings beside the real program
// (build/bin/) are never touched.

#include "net/HttpClient.h"
#include "serverkit/CounterSite.h"
#include "serverkit/ServerProcesses.h"
#include "site/SettingsFiles.h"

#include <atomic>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::atomic<bool> g_stopRequested = false;

void RequestStop(int)
{
    g_stopRequested = true;
}

fs::path ProgramFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path();
}

struct SamplePage {
    const char* path;
    const char* title;
    std::vector<const char*> keywords; // what searchers typed to find it
};

const std::vector<SamplePage> kPages = {
    {"index.php", "Lakeside Bakery", {"lakeside bakery", "bakery near me", "fresh bread"}},
    {"bread.php", "Our bread", {"sourdough bread", "rye bread recipe", "fresh bread"}},
    {"cakes.php", "Cakes for every day", {"birthday cake order", "chocolate cake"}},
    {"opening-hours.php", "Opening hours", {"lakeside bakery opening hours", "bakery open sunday"}},
    {"contact.php", "Find us", {"lakeside bakery address"}},
    {"blog/index.php", "The baker's blog", {"baking blog"}},
    {"blog/sourdough-starter.php", "Keeping a sourdough starter", {"sourdough starter", "feed sourdough starter"}},
    {"blog/crisp-crust.php", "Five tips for a crisp crust", {"crisp crust tips", "why is my crust soft"}},
};

std::string PageSource(const SamplePage& page)
{
    std::string title;
    for (const char* c = page.title; *c; ++c) {
        if (*c == '\'' || *c == '\\')
            title += '\\';
        title += *c;
    }
    return "<?php $title = '" + title
        + "'; ?>\n<!DOCTYPE html>\n<html><head><title><?php echo htmlspecialchars($title); ?></title></head>\n"
          "<body><h1><?php echo htmlspecialchars($title); ?></h1>\n"
          "<p>A page of the Tallywick demo site, served at <?php echo date('H:i'); ?>.</p></body></html>\n";
}

// Where visitors come from: a search engine and its keyword parameter, or a site.
struct Source {
    const char* host;
    const char* searchPath; // nullptr: a plain site that links to the page
    const char* keywordParameter;
};

const std::vector<Source> kSearchEngines = {
    {"www.google.com", "/search", "q"},
    {"www.google.de", "/search", "q"},
    {"www.bing.com", "/search", "q"},
    {"duckduckgo.com", "/", "q"},
    {"search.yahoo.com", "/search", "p"},
    {"www.ecosia.org", "/search", "q"},
    {"yandex.ru", "/search/", "text"},
};

const std::vector<const char*> kLinkingSites = {"https://news.ycombinator.com/item?id=4012",
    "https://www.reddit.com/r/Breadit/comments/x1/", "https://t.co/aBcD123", "https://www.facebook.com/",
    "https://github.com/lakeside/recipes", "https://en.wikipedia.org/wiki/Sourdough",
    "https://www.tripadvisor.com/Restaurant_Review", "https://maps.google.com/"};

const std::vector<const char*> kBrowsers = {
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36",
    "Mozilla/5.0 (X11; Linux x86_64; rv:115.0) Gecko/20100101 Firefox/115.0",
    "Mozilla/5.0 (iPhone; CPU iPhone OS 17_1 like Mac OS X) AppleWebKit/605.1.15 Version/17.1 Mobile/15E148",
};

const std::vector<const char*> kRobots = {"Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
    "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)"};

std::string UrlEncoded(const std::string& text)
{
    std::string encoded;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.')
            encoded += static_cast<char>(c);
        else if (c == ' ')
            encoded += '+';
        else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            encoded += escape;
        }
    }
    return encoded;
}

struct VisitCount {
    int sent = 0;
    int robots = 0;
    int failed = 0; // answered with anything but 200
};

// A few hundred visits of every kind, the same ones on every run.
VisitCount SendVisits(int port)
{
    std::mt19937 random(2024);
    const auto pick
        = [&](std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(random); };
    const auto chance = [&](int percent) { return std::uniform_int_distribution<int>(1, 100)(random) <= percent; };
    const std::string self = "http://127.0.0.1:" + std::to_string(port) + "/";
    VisitCount count;
    for (int visit = 0; visit < 420; ++visit) {
        // Earlier pages are visited more often, as on a real site.
        const std::size_t pageIndex = std::min(pick(kPages.size()), pick(kPages.size()));
        const SamplePage& page = kPages[pageIndex];
        std::string target = std::string("/") + page.path;
        std::string referer;
        const char* agent = kBrowsers[pick(kBrowsers.size())];
        const int kind = std::uniform_int_distribution<int>(1, 100)(random);
        if (kind <= 18) {
            // typed in or bookmarked: no referer
        } else if (kind <= 58) {
            const Source& engine = kSearchEngines[pick(kSearchEngines.size())];
            referer = std::string("https://") + engine.host + engine.searchPath + "?" + engine.keywordParameter + "="
                + UrlEncoded(page.keywords[pick(page.keywords.size())]);
        } else if (kind <= 78) {
            referer = kLinkingSites[pick(kLinkingSites.size())];
        } else if (kind <= 86) {
            referer = self + kPages[pick(kPages.size())].path; // moving around the site
        } else if (kind <= 95) {
            // paid clicks: search ads, social ads, display ads
            switch (pick(4)) {
            case 0:
                referer = "https://www.google.com/search?q=" + UrlEncoded(page.keywords[0]);
                target += "?gclid=Cj0KCQiA" + std::to_string(visit);
                break;
            case 1:
                referer = "https://www.facebook.com/";
                target += "?fbclid=IwAR" + std::to_string(visit);
                break;
            case 2: referer = "https://googleads.g.doubleclick.net/pagead/ads?client=ca-pub-1"; break;
            default:
                referer = "https://www.bing.com/search?q=" + UrlEncoded(page.keywords[0]);
                target += "?utm_source=bing&utm_medium=cpc";
            }
        } else {
            agent = kRobots[pick(kRobots.size())]; // robots are not counted
            ++count.robots;
        }
        if (chance(10) && target.find('?') == std::string::npos)
            target += "?utm_source=newsletter";
        std::vector<serverkit::Header> headers{{"User-Agent", agent}};
        if (!referer.empty())
            headers.emplace_back("Referer", referer);
        ++count.sent;
        if (serverkit::Visit(port, target, headers).status != 200)
            ++count.failed;
    }
    return count;
}

// Only one demo at a time: two would rebuild the same folder under each other.
int LockFolder(const fs::path& folder)
{
    const int fd = open((folder / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0)
        throw std::runtime_error("another Tallywick demo is running from " + folder.string() + "; close it first");
    return fd;
}

int RunDemo()
{
    const fs::path bin = ProgramFolder();
    const fs::path program = bin / "tallywick";
    const fs::path demo = bin.parent_path() / "demo";
    const std::string scripts = TALLYWICK_SERVER_SCRIPTS;
    const std::optional<std::string> php = serverkit::FindProgram("php");
    if (!php || !serverkit::PhpHasExtension(*php, "pdo_sqlite"))
        throw std::runtime_error("PHP with SQLite is not installed: apt-get install php-cli php-sqlite3");
    if (!fs::exists(program))
        throw std::runtime_error(program.string() + " is missing: build the project first");

    fs::create_directories(demo);
    const int lock = LockFolder(demo);
    for (const char* stale :
        {"site", "data", "tallywick", "hsettings.dat", "config.php", "php.log", "tallywick.log", "history.log"})
        fs::remove_all(demo / stale);
    fs::create_directories(demo / "data");

    // The database lies outside the served folder, as it should on a real site.
    ServerSettings settings{"", "sqlite:../../data/counter.sqlite", "", "", ""};
    const fs::path site = demo / "site";
    const fs::path counter = site / "counter";
    serverkit::InstallScripts(scripts + "/counter", counter.string(), settings);
    for (const SamplePage& page : kPages) {
        const fs::path path = site / page.path;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << PageSource(page);
    }

    std::cout << "Starting the counter on PHP's built-in server..." << std::endl;
    serverkit::PhpServer server(*php, site.string(), (demo / "php.log").string());
    settings.siteUrl = server.Url() + "/counter";
    std::cout << "  counter scripts at " << settings.siteUrl << std::endl;

    net::HttpClient http([] {});
    const std::size_t pages = serverkit::PreparePages(http, settings.siteUrl, site.string(), {counter.string()});
    std::cout << "Prepared " << pages << " sample pages with the include line (" << site.string() << ")" << std::endl;
    std::cout << "Visiting the sample site..." << std::flush;
    const VisitCount visits = SendVisits(server.Port());
    std::cout << " " << visits.sent << " visits, " << visits.robots << " of them by robots, which are not counted"
              << std::endl;
    if (visits.failed > 0)
        std::cout << "  " << visits.failed << " visits failed; see " << (demo / "php.log").string() << std::endl;
    // Views cannot be sent into the past: the history before this hour goes straight into the database.
    const fs::path seedLog = demo / "history.log";
    if (serverkit::RunProgram({*php, std::string(TALLYWICK_DEMO_SCRIPTS) + "/seed-history.php", counter.string()},
            {seedLog.string(), "", {}})
        != 0)
        throw std::runtime_error("writing the sample site's history failed: " + serverkit::ReadLog(seedLog.string()));
    std::ifstream seeded(seedLog);
    std::string views;
    seeded >> views;
    std::cout << "Wrote 90 days of history before this hour (" << views << " views) into the demo's database"
              << std::endl;

    fs::copy_file(program, demo / "tallywick", fs::copy_options::overwrite_existing);
    SaveServerSettingsFiles(demo.string(), settings);
    std::cout << "Opening Tallywick from " << demo.string() << "; close its window to end the demo." << std::endl;

    serverkit::ChildProcess tallywick({(demo / "tallywick").string()}, {(demo / "tallywick.log").string(), "", {}});
    while (tallywick.Running() && !g_stopRequested)
        std::this_thread::sleep_for(100ms);
    const int status = tallywick.Stop(5s);
    close(lock);
    std::cout << "Demo stopped." << std::endl;
    return status == 0 || g_stopRequested ? 0 : 1;
}

} // namespace

int main()
{
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGHUP, RequestStop);
    try {
        return RunDemo();
    } catch (const std::exception& error) {
        std::cerr << "tallywick-demo: " << error.what() << std::endl;
        return 1;
    }
}
