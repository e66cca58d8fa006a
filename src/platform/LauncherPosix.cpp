#include "platform/BrowserCommand.h"
#include "platform/Launcher.h"

#include <cerrno>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

// Double fork, so the started program is adopted by init and never left a zombie.
bool SpawnDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    if (program.empty())
        return false;
    // Built before the fork: the child may only call async-signal-safe functions.
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        setsid();
        const pid_t grandchild = fork();
        if (grandchild == 0) {
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        _exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        // With SIGCHLD ignored the system reaps the child itself and waitpid reports ECHILD:
        // the child ran, but what it said is lost, so the start is taken as done.
        if (errno == ECHILD)
            return true;
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class PosixLauncher final : public Launcher {
public:
    std::string FindBrowser() override { return FindBrowserProgram(std::getenv("BROWSER"), std::getenv("PATH")); }
    bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override
    {
        return SpawnDetached(program, arguments);
    }
    bool ShellOpen(const std::string& target) override
    {
        return SpawnDetached(FindOnPath("xdg-open", std::getenv("PATH")), {target});
    }
};

} // namespace

Launcher& SystemLauncher()
{
    static PosixLauncher launcher;
    return launcher;
}

} // namespace platform
