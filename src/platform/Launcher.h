#pragma once

#include <string>
#include <vector>

namespace platform {

// Starting other programs: the web browser and the shell's "open" action.
class Launcher {
public:
    virtual ~Launcher() = default;
    // The registered web browser's program, empty when none is registered.
    virtual std::string FindBrowser() = 0;
    // Starts the program with these arguments and does not wait for it. On Windows the
    // arguments reach the shell as one parameter text, joined by blanks.
    virtual bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // Hands a document or address to the system's default handler.
    virtual bool ShellOpen(const std::string& target) = 0;
};

// The launcher of the operating system this program runs on.
Launcher& SystemLauncher();

} // namespace platform
