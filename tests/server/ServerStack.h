#pragma once

// The real server parts the end-to-end tests run against, once per database kind: PHP's
// built-in server on a sample site that carries the counter (/counter) and the news service
// (/news), and behind them an SQLite file or a MariaDB server of the test's own. Each
// stack starts on first use and stays up for the rest of the run.

#include "net/HttpClient.h"
#include "serverkit/CounterSite.h"
#include "serverkit/ServerProcesses.h"
#include "site/ServerSettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class Backend { Sqlite, MariaDb };

std::string BackendName(const testing::TestParamInfo<Backend>& info);

// The pages of the sample site, each prepared with the include line; every page also lies
// unprepared under /plain/ for comparison.
inline const std::vector<std::string> kSamplePages
    = {"/index.php", "/contact.php", "/products.php", "/blog/post.php", "/nested.php"};

class ServerStack {
public:
    // The stack of `backend`, or nothing with `skipReason` when its programs are not installed.
    static ServerStack* Of(Backend backend, std::string& skipReason);
    // Stops every stack; called when the run ends.
    static void StopAll();

    explicit ServerStack(Backend backend);
    ~ServerStack();

    Backend backend() const { return backend_; }
    int Port() const { return web_->Port(); }
    std::string CounterUrl() const { return web_->Url() + "/counter"; }
    std::string NewsUrl() const { return web_->Url() + "/news"; }
    std::string PageUrl(const std::string& path) const { return web_->Url() + path; }
    std::string CounterFolder() const { return root_.File("site/counter"); }
    std::string NewsFolder() const { return root_.File("site/news"); }
    std::string Folder() const { return root_.Path().string(); }

    // What config.php of each service was written from.
    const ServerSettings& CounterSettings() const { return counterSettings_; }
    const ServerSettings& NewsSettings() const { return newsSettings_; }
    // Rewrites a service's config.php with the program's writer.
    void WriteConfig(const std::string& folder, const ServerSettings& settings);

    // The counter's marker of the last view it could not store.
    std::string CounterFailureFile() const { return root_.File("site/counter/lastfailure.txt"); }

    // Empties a service's database completely: no tables left. The counter's marker of a
    // failed view goes too.
    void ResetCounterDatabase();
    void ResetNewsDatabase();
    // Takes the database away (stops MariaDB; makes the SQLite file unreachable), and back.
    void StopDatabase();
    void StartDatabase();

    // Makes the counter's database hang: MariaDB frozen, or the SQLite file held under a write
    // lock by another process. ResumeDatabase lets it go on.
    void HangDatabase();
    void ResumeDatabase();
    // SQLite only: another process runs `statements` on the counter's file and keeps their
    // transaction open until the returned process is stopped.
    std::unique_ptr<serverkit::ChildProcess> HoldSqliteTransaction(const std::string& statements);
    std::string CounterSqliteFile() const { return root_.File("data/counter.sqlite"); }
    // Runs SQL statements on the counter's database as its owner; throws when they fail.
    void ExecuteCounterSql(const std::string& statements);

    // Runs a PHP command-line script (a full path); its exit status, with its output in `output`.
    int RunPhp(const std::string& script, const std::vector<std::string>& arguments, std::string& output);

    serverkit::MariaDbServer* MariaDb() { return mariadb_ ? &*mariadb_ : nullptr; }

    // The MariaDB account the scripts use: a password that PHP must take exactly as written.
    static constexpr const char* kUser = "tallywick";
    static constexpr const char* kPassword = "pa\"ss$wo\\rd'$x";
    static constexpr const char* kCounterDatabase = "tally`wick counter";
    static constexpr const char* kNewsDatabase = "tallywick_news";

private:
    void MakeSite();
    void RecreateMariaDbDatabase(const std::string& name);
    void RemoveSqliteFile(const std::string& name);

    Backend backend_;
    TempDir root_;
    std::string php_;
    std::optional<serverkit::MariaDbServer> mariadb_;
    std::optional<serverkit::PhpServer> web_;
    std::unique_ptr<serverkit::ChildProcess> sqliteLock_;
    ServerSettings counterSettings_;
    ServerSettings newsSettings_;
};

// A test on the stack of its parameter; skipped with the reason when that cannot run here.
class ServerStackTest : public testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        std::string reason;
        stack = ServerStack::Of(GetParam(), reason);
        if (!stack)
            GTEST_SKIP() << reason;
    }

    ServerStack* stack = nullptr;
};

// The program's own HTTP client for the tests' requests, painting nothing while it waits.
net::HttpClient& TestHttpClient();
