#include "platform/Launcher.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// Waits for what a detached program does; a program that never does it fails the test
// instead of hanging it.
bool Eventually(const std::function<bool()>& happened)
{
    for (int i = 0; i < 1000; ++i) {
        if (happened())
            return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

// StartDetached in a child process with SIGCHLD as given: its exit code (0 for true), or
// nothing when it did not come back (then it is killed).
std::optional<int> StartInChild(void (*sigchld)(int), const std::string& program, std::vector<std::string> arguments)
{
    const pid_t child = fork();
    if (child < 0)
        return std::nullopt;
    if (child == 0) {
        std::signal(SIGCHLD, sigchld);
        _exit(platform::SystemLauncher().StartDetached(program, arguments) ? 0 : 1);
    }
    int status = 0;
    const bool ended = Eventually([&] { return waitpid(child, &status, WNOHANG) == child; });
    if (!ended) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return std::nullopt;
    }
    return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
}

class LauncherTest : public testing::TestWithParam<void (*)(int)> { };

TEST_P(LauncherTest, StartsTheProgramWithItsArgumentsAndComesBack)
{
    TempDir folder;
    const std::string marker = folder.File("started");
    const std::optional<int> result
        = StartInChild(GetParam(), "/bin/sh", {"-c", "printf '%s|%s' \"$0\" \"$1\" > \"$2\"", "one two", "", marker});
    ASSERT_TRUE(result) << "StartDetached did not come back";
    EXPECT_EQ(*result, 0);
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(marker) && !ReadWholeFile(marker).empty(); }));
    EXPECT_EQ(ReadWholeFile(marker), "one two|");
}

// Ignoring SIGCHLD makes the system reap children itself, so the wait for one ends in ECHILD.
INSTANTIATE_TEST_SUITE_P(ChildSignal, LauncherTest, testing::Values(SIG_DFL, SIG_IGN),
    [](const auto& info) { return std::string(info.param == SIG_IGN ? "Ignored" : "Default"); });

TEST(Launcher, NoProgramStartsNothing)
{
    EXPECT_FALSE(platform::SystemLauncher().StartDetached("", {"x"}));
}

} // namespace
