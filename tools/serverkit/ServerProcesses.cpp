#include "serverkit/ServerProcesses.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace serverkit {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int StatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    if (WIFSIGNALED(waitStatus))
        return 128 + WTERMSIG(waitStatus);
    return -1;
}

// This process's environment with `extra` entries put over it, as execve wants it.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& override : extra)
            replaced = replaced || override.compare(0, name.size(), name) == 0;
        if (!replaced)
            merged.push_back(text);
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

bool CanConnect(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

bool RunningAsRoot()
{
    return geteuid() == 0;
}

} // namespace

std::optional<std::string> FindProgram(const std::string& name)
{
    std::string folders = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    folders += ":/usr/sbin:/sbin:/usr/local/sbin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return std::nullopt;
}

int FreeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("cannot open a socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("cannot find a free loopback port");
    }
    close(fd);
    return ntohs(address.sin_port);
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const ChildOptions& options)
{
    std::vector<std::string> argumentTexts = arguments;
    std::vector<std::string> environmentTexts = MergedEnvironment(options.environment);
    std::vector<char*> argv = Pointers(argumentTexts);
    std::vector<char*> envp = Pointers(environmentTexts);

    const int log = open(options.logFile.empty() ? "/dev/null" : options.logFile.c_str(),
        O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int input = open(options.inputFile.empty() ? "/dev/null" : options.inputFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (log < 0 || input < 0) {
        if (log >= 0)
            close(log);
        if (input >= 0)
            close(input);
        throw std::runtime_error("cannot open the files of " + arguments.at(0));
    }
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec. A group of its own, so that
        // stopping it also stops what it starts (php -S forks its workers).
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        dup2(input, STDIN_FILENO);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(log);
    close(input);
    if (pid < 0)
        throw std::runtime_error("cannot start " + arguments.at(0));
    pid_ = pid;
}

ChildProcess::~ChildProcess()
{
    Stop();
}

bool ChildProcess::Exited() const
{
    // Not reaped: while the leader is a zombie its group id cannot go to anyone else.
    siginfo_t info{};
    if (waitid(P_PID, pid_, &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return true;
    return info.si_pid == pid_;
}

bool ChildProcess::Running()
{
    return !status_ && pid_ >= 0 && !Exited();
}

int ChildProcess::Wait()
{
    while (!status_ && pid_ >= 0) {
        int waitStatus = 0;
        const pid_t done = waitpid(pid_, &waitStatus, 0);
        if (done == pid_)
            status_ = StatusOf(waitStatus);
        else if (done < 0 && errno != EINTR)
            status_ = -1;
    }
    return status_.value_or(-1);
}

int ChildProcess::Stop(std::chrono::milliseconds grace)
{
    if (status_ || pid_ < 0)
        return status_.value_or(-1);
    kill(-pid_, SIGTERM);
    const auto deadline = Clock::now() + grace;
    while (!Exited() && Clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    kill(-pid_, SIGKILL); // the rest of its group, and the leader itself if it did not stop
    return Wait();
}

int RunProgram(const std::vector<std::string>& arguments, const ChildOptions& options)
{
    ChildProcess child(arguments, options);
    return child.Wait();
}

bool WaitForPort(int port, std::chrono::milliseconds limit, ChildProcess* child)
{
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (CanConnect(port))
            return true;
        if (child && !child->Running())
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

std::string ReadLog(const std::string& logFile)
{
    std::ifstream in(logFile, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    constexpr std::size_t kTail = 4000;
    return text.size() > kTail ? "..." + text.substr(text.size() - kTail) : text;
}

bool PhpHasExtension(const std::string& php, const std::string& extension)
{
    return RunProgram({php, "-r", "exit(extension_loaded('" + extension + "') ? 0 : 1);"}, ChildOptions{}) == 0;
}

PhpServer::PhpServer(const std::string& php, const std::string& documentRoot, const std::string& logFile, int workers,
    const std::vector<std::string>& settings)
{
    // A port taken between the look-up and the start makes php fail at once; try a few.
    for (int attempt = 0; attempt < 5; ++attempt) {
        port_ = FreeLoopbackPort();
        ChildOptions options{logFile, "", {}};
        if (workers > 1)
            options.environment.push_back("PHP_CLI_SERVER_WORKERS=" + std::to_string(workers));
        // Errors go to the log, as on a production host, never into a page.
        std::vector<std::string> arguments{php, "-d", "display_errors=0", "-d", "log_errors=1"};
        for (const std::string& setting : settings) {
            arguments.push_back("-d");
            arguments.push_back(setting);
        }
        arguments.insert(arguments.end(), {"-S", "127.0.0.1:" + std::to_string(port_), "-t", documentRoot});
        process_.emplace(arguments, options);
        if (WaitForPort(port_, 20s, &*process_))
            return;
        process_.reset();
    }
    throw std::runtime_error("PHP's built-in server did not start: " + ReadLog(logFile));
}

MariaDbServer::MariaDbServer(const std::string& folder, const std::vector<std::string>& serverOptions)
    : folder_(folder),
      serverOptions_(serverOptions)
{
    const std::optional<std::string> install = FindProgram("mariadb-install-db");
    const std::optional<std::string> server = FindProgram("mariadbd");
    const std::optional<std::string> client = FindProgram("mariadb");
    if (!install || !server || !client)
        throw std::runtime_error("MariaDB is not installed (mariadb-install-db, mariadbd, mariadb)");
    mariadbd_ = *server;
    client_ = *client;
    std::filesystem::create_directories(folder_);
    std::vector<std::string> arguments{*install, "--no-defaults", "--datadir=" + folder_ + "/data",
        "--auth-root-authentication-method=normal", "--skip-test-db", "--innodb-log-file-size=4M",
        "--innodb-buffer-pool-size=16M"};
    if (RunningAsRoot())
        arguments.push_back("--user=root");
    const std::string log = folder_ + "/install.log";
    if (RunProgram(arguments, ChildOptions{log, "", {}}) != 0)
        throw std::runtime_error("mariadb-install-db failed: " + ReadLog(log));
    port_ = FreeLoopbackPort();
    Start();
}

MariaDbServer::~MariaDbServer()
{
    Stop();
}

void MariaDbServer::Start()
{
    if (process_)
        return;
    std::vector<std::string> arguments{mariadbd_, "--no-defaults", "--datadir=" + folder_ + "/data",
        "--port=" + std::to_string(port_), "--bind-address=127.0.0.1", "--socket=" + folder_ + "/mariadb.sock",
        "--pid-file=" + folder_ + "/mariadb.pid", "--log-error=" + folder_ + "/error.log", "--skip-name-resolve",
        "--innodb-log-file-size=4M", "--innodb-buffer-pool-size=16M"};
    if (RunningAsRoot())
        arguments.push_back("--user=root");
    arguments.insert(arguments.end(), serverOptions_.begin(), serverOptions_.end());
    process_.emplace(arguments, ChildOptions{folder_ + "/server.log", "", {}});
    if (!WaitForPort(port_, 60s, &*process_)) {
        process_.reset();
        throw std::runtime_error("mariadbd did not start: " + ReadLog(folder_ + "/error.log"));
    }
}

void MariaDbServer::Stop()
{
    if (!process_)
        return;
    Resume(); // a frozen server would not hear SIGTERM
    process_->Stop(std::chrono::seconds(60));
    process_.reset();
}

void MariaDbServer::Freeze()
{
    if (process_)
        kill(process_->Pid(), SIGSTOP);
}

void MariaDbServer::Resume()
{
    if (process_)
        kill(process_->Pid(), SIGCONT);
}

std::string MariaDbServer::Client(const std::vector<std::string>& extraArguments, const std::string& input)
{
    std::vector<std::string> arguments{
        client_, "--no-defaults", "--socket=" + folder_ + "/mariadb.sock", "--user=root", "--batch"};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    const std::string log = folder_ + "/client.log";
    std::filesystem::remove(log);
    if (RunProgram(arguments, ChildOptions{log, input, {}}) != 0)
        throw std::runtime_error("mariadb client failed: " + ReadLog(log));
    std::ifstream in(log, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string MariaDbServer::Execute(const std::string& sql)
{
    const std::string input = folder_ + "/statements.sql";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out << sql;
        if (!out)
            throw std::runtime_error("cannot write " + input);
    }
    return Client({}, input);
}

std::string MariaDbServer::ExecuteFile(const std::string& database, const std::string& sqlFile)
{
    return Client({"--database=" + database}, sqlFile);
}

std::string MariaDbServer::Quoted(const std::string& value)
{
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "'";
}

std::string MariaDbServer::Identifier(const std::string& name)
{
    std::string quoted = "`";
    for (char c : name) {
        if (c == '`')
            quoted += '`';
        quoted += c;
    }
    return quoted + "`";
}

} // namespace serverkit
