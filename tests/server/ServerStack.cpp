#include "server/ServerStack.h"

#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Pages that show what a counter could disturb: the variables the page sees, a header sent
// after the include line, a page that includes another prepared page.
const std::vector<std::pair<std::string, std::string>> kPageSources = {
    {"index.php",
        "<?php $title = 'Home'; ?>\n<html><head><title><?php echo $title; ?></title></head>\n"
        "<body><h1>Welcome</h1>\n<p><?php echo implode(',', array_filter(array_keys(get_defined_vars()),\n"
        "    fn ($name) => $name[0] !== '_')); ?></p></body></html>\n"},
    {"contact.php",
        "<?php header('X-Contact: yes'); ?>\n<html><body><p>Write to us.</p>\n"
        "<p><?php echo headers_sent() ? 'late' : 'on time'; ?></p></body></html>\n"},
    {"products.php", "<html><body><ul><li>Counter</li><li>Statistics</li></ul></body></html>\n"},
    {"blog/post.php", "<html><body><article><?php echo strtoupper('first post'); ?></article></body></html>\n"},
    {"nested.php", "<?php include __DIR__ . '/parts/header.php'; ?>\n<p>Page with a prepared part.</p>\n"},
    {"parts/header.php", "<header>Site header</header>\n"},
};

std::map<Backend, std::unique_ptr<ServerStack>>& Stacks()
{
    static std::map<Backend, std::unique_ptr<ServerStack>> stacks;
    return stacks;
}

struct StopStacksAtTheEnd : testing::Environment {
    void TearDown() override { ServerStack::StopAll(); }
};
const auto* const kStopStacks = testing::AddGlobalTestEnvironment(new StopStacksAtTheEnd);

} // namespace

std::string BackendName(const testing::TestParamInfo<Backend>& info)
{
    return info.param == Backend::Sqlite ? "Sqlite" : "MariaDb";
}

ServerStack* ServerStack::Of(Backend backend, std::string& skipReason)
{
    if (!serverkit::FindProgram("php")) {
        skipReason = "php is not installed (Debian package php-cli): the server scripts cannot run";
        return nullptr;
    }
    if (backend == Backend::MariaDb && !serverkit::FindProgram("mariadbd")) {
        skipReason = "mariadbd is not installed (Debian package mariadb-server): no MariaDB to run against";
        return nullptr;
    }
    auto& stack = Stacks()[backend];
    if (!stack) {
        // Installed but incomplete is a fault of the machine, not a reason to skip.
        const auto [extension, package]
            = backend == Backend::Sqlite ? std::pair{"pdo_sqlite", "php-sqlite3"} : std::pair{"pdo_mysql", "php-mysql"};
        if (!serverkit::PhpHasExtension(*serverkit::FindProgram("php"), extension))
            throw std::runtime_error(std::string("php lacks ") + extension + " (Debian package " + package + ")");
        stack = std::make_unique<ServerStack>(backend);
    }
    return stack.get();
}

void ServerStack::StopAll()
{
    Stacks().clear();
}

ServerStack::ServerStack(Backend backend)
    : backend_(backend),
      php_(*serverkit::FindProgram("php"))
{
    if (backend_ == Backend::MariaDb) {
        mariadb_.emplace(root_.File("mariadb"));
        const std::string user = serverkit::MariaDbServer::Quoted(kUser);
        const std::string password = serverkit::MariaDbServer::Quoted(kPassword);
        // One account over TCP and one through the socket ("localhost"), both with the same password.
        mariadb_->Execute("CREATE USER " + user + "@'127.0.0.1' IDENTIFIED BY " + password + ";\n" + "CREATE USER "
            + user + "@'localhost' IDENTIFIED BY " + password + ";\n" + "GRANT ALL ON *.* TO " + user
            + "@'127.0.0.1';\nGRANT ALL ON *.* TO " + user + "@'localhost';\n");
        RecreateMariaDbDatabase(kCounterDatabase);
        RecreateMariaDbDatabase(kNewsDatabase);
        counterSettings_ = {"", mariadb_->Host(), kCounterDatabase, kUser, kPassword};
        newsSettings_ = {"", mariadb_->Host(), kNewsDatabase, kUser, kPassword};
    } else {
        fs::create_directories(root_.File("data"));
        // Relative to the scripts' folder, outside the site, as a careful owner would put it.
        counterSettings_ = {"", "sqlite:../../data/counter.sqlite", "", "", kPassword};
        newsSettings_ = {"", "sqlite:../../data/news.sqlite", "", "", kPassword};
    }
    MakeSite();
    // The cache would keep a config.php that a test rewrites within the same second.
    web_.emplace(php_, root_.File("site"), root_.File("php.log"), 4, std::vector<std::string>{"opcache.enable=0"});
    counterSettings_.siteUrl = CounterUrl();
    newsSettings_.siteUrl = NewsUrl();
    serverkit::PreparePages(
        TestHttpClient(), CounterUrl(), root_.File("site"), {CounterFolder(), NewsFolder(), root_.File("site/plain")});
    // The same pages without the include line, to compare what visitors get.
    for (const auto& page : kPageSources) {
        const std::string prepared = ReadWholeFile(root_.File("site/" + page.first));
        WriteWholeFile(root_.File("site/plain/" + page.first), prepared.substr(prepared.find("\r\n") + 2));
    }
}

ServerStack::~ServerStack()
{
    sqliteLock_.reset();
    web_.reset();
    mariadb_.reset();
}

void ServerStack::MakeSite()
{
    const std::string scripts = TALLYWICK_SERVER_SCRIPTS;
    serverkit::InstallScripts(scripts + "/counter", CounterFolder(), counterSettings_);
    serverkit::InstallScripts(scripts + "/news", NewsFolder(), newsSettings_);
    for (const auto& [name, source] : kPageSources) {
        const fs::path path = root_.Path() / "site" / name;
        fs::create_directories(path.parent_path());
        fs::create_directories(root_.Path() / "site" / "plain" / fs::path(name).parent_path());
        WriteWholeFile(path.string(), source);
    }
}

void ServerStack::WriteConfig(const std::string& folder, const ServerSettings& settings)
{
    serverkit::InstallScripts(folder == CounterFolder() ? std::string(TALLYWICK_SERVER_SCRIPTS) + "/counter"
                                                        : std::string(TALLYWICK_SERVER_SCRIPTS) + "/news",
        folder, settings);
}

void ServerStack::RecreateMariaDbDatabase(const std::string& name)
{
    const std::string database = serverkit::MariaDbServer::Identifier(name);
    mariadb_->Execute("DROP DATABASE IF EXISTS " + database + ";\nCREATE DATABASE " + database + ";\n");
}

void ServerStack::RemoveSqliteFile(const std::string& name)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        fs::remove(root_.File("data/" + name + suffix));
}

void ServerStack::ResetCounterDatabase()
{
    if (mariadb_)
        RecreateMariaDbDatabase(kCounterDatabase);
    else
        RemoveSqliteFile("counter.sqlite");
    fs::remove(CounterFailureFile());
}

void ServerStack::ResetNewsDatabase()
{
    if (mariadb_)
        RecreateMariaDbDatabase(kNewsDatabase);
    else
        RemoveSqliteFile("news.sqlite");
}

void ServerStack::StopDatabase()
{
    if (mariadb_) {
        mariadb_->Stop();
        return;
    }
    // A plain file where the data folder was: no database can be opened or created there.
    fs::rename(root_.File("data"), root_.File("data.away"));
    WriteWholeFile(root_.File("data"), "not a folder");
}

void ServerStack::StartDatabase()
{
    if (mariadb_) {
        mariadb_->Start();
        return;
    }
    fs::remove(root_.File("data"));
    fs::rename(root_.File("data.away"), root_.File("data"));
}

void ServerStack::HangDatabase()
{
    if (mariadb_)
        mariadb_->Freeze();
    else
        sqliteLock_ = HoldSqliteTransaction("BEGIN IMMEDIATE");
}

void ServerStack::ResumeDatabase()
{
    if (mariadb_)
        mariadb_->Resume();
    sqliteLock_.reset();
}

std::unique_ptr<serverkit::ChildProcess> ServerStack::HoldSqliteTransaction(const std::string& statements)
{
    const std::string log = root_.File("sqlite-holder.log");
    fs::remove(log);
    // It says when its statements ran, then waits to be stopped.
    const std::string code = "$pdo = new PDO('sqlite:' . $argv[1], null, null, [PDO::ATTR_ERRMODE => "
                             "PDO::ERRMODE_EXCEPTION, PDO::ATTR_TIMEOUT => 10]);\n"
                             "$pdo->exec($argv[2]); echo \"holding\\n\"; sleep(600);";
    auto holder = std::make_unique<serverkit::ChildProcess>(
        std::vector<std::string>{php_, "-r", code, "--", CounterSqliteFile(), statements},
        serverkit::ChildOptions{log, "", {}});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ReadWholeFile(log).find("holding") == std::string::npos) {
        if (!holder->Running() || std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the SQLite transaction did not begin: " + ReadWholeFile(log));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return holder;
}

void ServerStack::ExecuteCounterSql(const std::string& statements)
{
    if (mariadb_) {
        mariadb_->Execute("USE " + serverkit::MariaDbServer::Identifier(kCounterDatabase) + ";\n" + statements);
        return;
    }
    const std::string log = root_.File("sqlite-sql.log");
    fs::remove(log);
    const std::string code = "$pdo = new PDO('sqlite:' . $argv[1], null, null, [PDO::ATTR_ERRMODE => "
                             "PDO::ERRMODE_EXCEPTION]); $pdo->exec($argv[2]);";
    if (serverkit::RunProgram({php_, "-r", code, "--", CounterSqliteFile(), statements}, {log, "", {}}) != 0)
        throw std::runtime_error("the SQL statements failed: " + ReadWholeFile(log));
}

int ServerStack::RunPhp(const std::string& script, const std::vector<std::string>& arguments, std::string& output)
{
    const std::string log = root_.File("php-cli.log");
    fs::remove(log);
    std::vector<std::string> command{php_, "-d", "display_errors=stderr", script};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const int status = serverkit::RunProgram(command, serverkit::ChildOptions{log, "", {}});
    output = ReadWholeFile(log);
    return status;
}

net::HttpClient& TestHttpClient()
{
    static net::HttpClient client([] {});
    return client;
}
