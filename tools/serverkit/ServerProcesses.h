#pragma once

// The server programs the counter runs on, started on this machine: PHP's built-in web
// server on loopback, and a MariaDB server in a folder of its own. The demo, the
// end-to-end tests and the benchmarks start them through here; nothing uses a system
// service. POSIX only.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace serverkit {

// The full path of a program found on PATH or in the sbin folders, where Debian puts
// mariadbd; nothing when it is not installed.
std::optional<std::string> FindProgram(const std::string& name);

// True when the PHP at `php` has the extension (such as "pdo_sqlite") loaded.
bool PhpHasExtension(const std::string& php, const std::string& extension);

// A loopback port that nothing listened on a moment ago.
int FreeLoopbackPort();

// How a child starts: its output is appended to `logFile`, its input read from `inputFile`
// (nothing when empty), `environment` entries ("NAME=value") added to this process's own.
struct ChildOptions {
    std::string logFile;
    std::string inputFile;
    std::vector<std::string> environment;
};

// A program (arguments[0], a full path) started with its arguments in a process group of its
// own. Stopping it stops the whole group; it is stopped when this object goes, and it is sent
// SIGTERM when the process that started it dies.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    bool Running();
    // Waits for the end; the exit status, or 128 + signal number.
    int Wait();
    // SIGTERM to the group, then SIGKILL after `grace`; the exit status as Wait gives it.
    int Stop(std::chrono::milliseconds grace = std::chrono::seconds(10));

private:
    bool Exited() const;

    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Runs a program to its end; its exit status as ChildProcess::Wait gives it.
int RunProgram(const std::vector<std::string>& arguments, const ChildOptions& options);

// True once something accepts connections on the loopback port; false when `limit` passed
// or `child` ended first.
bool WaitForPort(int port, std::chrono::milliseconds limit, ChildProcess* child = nullptr);

// php -S 127.0.0.1:PORT -t documentRoot, on a free port. Throws std::runtime_error with the
// server's log when it does not come up.
class PhpServer {
public:
    // `workers` above 1 lets the server answer that many requests at once; `settings` are
    // php.ini settings ("name=value") for this server only.
    PhpServer(const std::string& php, const std::string& documentRoot, const std::string& logFile, int workers = 1,
        const std::vector<std::string>& settings = {});

    int Port() const { return port_; }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    ChildProcess& Process() { return *process_; }

private:
    int port_ = 0;
    std::optional<ChildProcess> process_;
};

// A MariaDB server of its own: mariadb-install-db into `folder`, then mariadbd on a free
// loopback port with its socket and pid file there. Its root user has no password and is
// reached through the socket. Throws std::runtime_error with the server's log on failure.
class MariaDbServer {
public:
    // `serverOptions` go to mariadbd after the defaults ("--innodb-buffer-pool-size=128M").
    explicit MariaDbServer(const std::string& folder, const std::vector<std::string>& serverOptions = {});
    ~MariaDbServer();

    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    bool Running() const { return process_.has_value(); }
    // Stops it (the data stay) and starts it again on the same port.
    void Stop();
    void Start();
    // Freezes the running server (SIGSTOP): connections are accepted by the system and then
    // never answered, as with a hung server. Resume lets it go on.
    void Freeze();
    void Resume();
    // Runs SQL statements as root through the socket; what the client printed (tab-separated
    // rows under a header line). Throws with the client's output on error.
    std::string Execute(const std::string& sql);
    // Runs the statements of a file as root in `database`.
    std::string ExecuteFile(const std::string& database, const std::string& sqlFile);

    // An SQL string literal of `value`, quotes and backslashes escaped.
    static std::string Quoted(const std::string& value);
    // An SQL identifier of `name` in backquotes.
    static std::string Identifier(const std::string& name);

private:
    std::string Client(const std::vector<std::string>& extraArguments, const std::string& input);

    std::string folder_;
    std::vector<std::string> serverOptions_;
    std::string mariadbd_;
    std::string client_;
    int port_ = 0;
    std::optional<ChildProcess> process_;
};

// The server's log, for error messages.
std::string ReadLog(const std::string& logFile);

} // namespace serverkit
