// The program's start against a minimal Qt window (tree view, label, edit, button): each is
// started in turn on a private Xvfb, unbranded and beside no settings, and timed until its
// window is mapped; its resident memory is read a second later. Medians of several runs.
// Goal: the program's memory at most 1.25 times the minimal window's.
#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRuns = 7; // counted runs of each, after one run of each that warms the disk cache
constexpr auto kSettleTime = 1s; // from the mapped window to the memory reading
constexpr auto kMapLimit = 20s;

// A child process, ended and reaped when this goes.
class Child {
public:
    Child(const std::vector<std::string>& command, const std::vector<std::pair<std::string, std::string>>& environment,
        const std::string& folder, int keepOpen = -1)
    {
        std::vector<char*> arguments;
        for (const std::string& argument : command)
            arguments.push_back(const_cast<char*>(argument.c_str()));
        arguments.push_back(nullptr);
        pid_ = fork();
        if (pid_ < 0)
            throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            for (const auto& [name, value] : environment) {
                if (value.empty())
                    unsetenv(name.c_str());
                else
                    setenv(name.c_str(), value.c_str(), 1);
            }
            const int quiet = open("/dev/null", O_RDWR);
            dup2(quiet, STDIN_FILENO);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
            if (keepOpen >= 0)
                fcntl(keepOpen, F_SETFD, 0);
            if (!folder.empty() && chdir(folder.c_str()) != 0)
                _exit(126);
            execvp(arguments[0], arguments.data());
            _exit(127);
        }
    }
    ~Child()
    {
        kill(pid_, SIGTERM);
        int status = 0;
        for (int attempt = 0; attempt < 200 && waitpid(pid_, &status, WNOHANG) == 0; ++attempt)
            std::this_thread::sleep_for(10ms);
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// An Xvfb of our own, on the first free display, so no desktop and no other run interferes.
class PrivateDisplay {
public:
    PrivateDisplay()
    {
        int ready[2];
        if (pipe(ready) != 0)
            throw std::runtime_error("pipe failed");
        server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                            "1280x900x24", "-nolisten", "tcp", "-noreset"},
            std::vector<std::pair<std::string, std::string>>{}, "", ready[1]);
        close(ready[1]);
        std::string number;
        char c = 0;
        pollfd wait{ready[0], POLLIN, 0};
        while (poll(&wait, 1, 10000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
            number.push_back(c);
        close(ready[0]);
        if (number.empty())
            throw std::runtime_error("Xvfb did not start (is it installed?)");
        name_ = ":" + number;
    }
    const std::string& Name() const { return name_; }

private:
    std::optional<Child> server_;
    std::string name_;
};

// Watches the display for top-level windows being mapped.
class MapWatch {
public:
    explicit MapWatch(const std::string& display)
    {
        connection_ = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(connection_))
            throw std::runtime_error("cannot connect to " + display);
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        const char* name = "_NET_WM_PID";
        xcb_intern_atom_reply_t* atom
            = xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
        pidAtom_ = atom ? atom->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(atom);
        xcb_flush(connection_);
    }
    ~MapWatch() { xcb_disconnect(connection_); }
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    // When a window of that process was mapped; nothing within the limit.
    std::optional<Clock::time_point> WaitForWindowOf(pid_t pid)
    {
        const auto deadline = Clock::now() + kMapLimit;
        while (Clock::now() < deadline) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const auto when = Clock::now();
                const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                std::free(event);
                if (mapped && OwnerOf(window) == pid)
                    return when;
            }
            if (xcb_connection_has_error(connection_))
                return std::nullopt;
            pollfd wait{xcb_get_file_descriptor(connection_), POLLIN, 0};
            poll(&wait, 1, 50);
        }
        return std::nullopt;
    }

    // Drops what the last run left, its windows' unmapping and destruction.
    void Drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            std::free(event);
    }

private:
    pid_t OwnerOf(xcb_window_t window)
    {
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        pid_t owner = -1;
        if (reply && xcb_get_property_value_length(reply) == 4)
            owner = static_cast<pid_t>(*static_cast<std::uint32_t*>(xcb_get_property_value(reply)));
        std::free(reply);
        return owner;
    }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
};

// Resident memory in MB, from the kernel's account of the process.
double ResidentMegabytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

struct Start {
    double mappedMs = 0;
    double residentMb = 0;
};

Start StartOnce(const std::string& program, const std::string& folder, const std::string& display, MapWatch& watch)
{
    watch.Drain();
    const auto began = Clock::now();
    Child child({program}, {{"DISPLAY", display}, {"QT_QPA_PLATFORM", ""}}, folder);
    const std::optional<Clock::time_point> mapped = watch.WaitForWindowOf(child.Pid());
    if (!mapped)
        throw std::runtime_error(program + ": no window mapped within " + std::to_string(kMapLimit.count()) + " s");
    std::this_thread::sleep_for(kSettleTime);
    return {std::chrono::duration<double, std::milli>(*mapped - began).count(), ResidentMegabytes(child.Pid())};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void StartToMappedWindow(benchmark::State& state)
{
    try {
        // The program reads and writes beside itself: a copy in an empty folder starts unbranded,
        // with no settings, as on a first start.
        char pattern[] = "/tmp/tallywick-start-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            throw std::runtime_error("no temporary folder");
        const std::filesystem::path folder(pattern);
        struct RemoveAfterwards {
            std::filesystem::path folder;
            ~RemoveAfterwards() { std::filesystem::remove_all(folder); }
        } removeAfterwards{folder};
        const std::filesystem::path program = folder / "tallywick";
        std::filesystem::copy_file(TALLYWICK_PROGRAM, program);

        PrivateDisplay display;
        MapWatch watch(display.Name());
        std::vector<double> programMs, referenceMs, programMb, referenceMb;
        for (auto _ : state) {
            for (int run = 0; run <= kRuns; ++run) {
                const Start ours = StartOnce(program.string(), folder.string(), display.Name(), watch);
                const Start reference = StartOnce(TALLYWICK_REFERENCE_WINDOW, folder.string(), display.Name(), watch);
                std::fprintf(stderr, "run %d%s: program %.1f ms %.1f MB, minimal window %.1f ms %.1f MB\n", run,
                    run == 0 ? " (warm-up)" : "", ours.mappedMs, ours.residentMb, reference.mappedMs,
                    reference.residentMb);
                if (run == 0)
                    continue;
                programMs.push_back(ours.mappedMs);
                referenceMs.push_back(reference.mappedMs);
                programMb.push_back(ours.residentMb);
                referenceMb.push_back(reference.residentMb);
            }
            state.SetIterationTime(0.001 * Median(programMs));
        }
        state.counters["program_mapped_ms"] = Median(programMs);
        state.counters["minimal_mapped_ms"] = Median(referenceMs);
        state.counters["mapped_ratio"] = Median(programMs) / Median(referenceMs);
        state.counters["program_rss_MB"] = Median(programMb);
        state.counters["minimal_rss_MB"] = Median(referenceMb);
        state.counters["rss_ratio"] = Median(programMb) / Median(referenceMb);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

BENCHMARK(StartToMappedWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
