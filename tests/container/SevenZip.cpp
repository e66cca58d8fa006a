#include "container/SevenZip.h"

#include <cstdlib>
#include <sys/wait.h>

std::string SevenZipProgram()
{
    for (const char* name : {"7zz", "7z"})
        if (RunQuietly(std::string("command -v ") + name) == 0)
            return name;
    return {};
}

int RunQuietly(const std::string& commandLine)
{
    const int status = std::system((commandLine + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
