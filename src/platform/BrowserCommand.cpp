#include "platform/BrowserCommand.h"

#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

std::string BrowserPathFromRegisteredCommand(const std::string& command)
{
    if (command.empty())
        return {};
    std::string lower = command;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    const size_t exe = lower.find(".exe");
    std::string path = (exe == std::string::npos ? std::string() : lower.substr(0, exe)) + ".exe";
    std::erase(path, '"');
    return path;
}

static bool IsExecutableFile(const std::string& path)
{
    struct stat info { };
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindOnPath(const std::string& program, const char* pathVariable)
{
    if (program.empty())
        return {};
    if (program.find('/') != std::string::npos)
        return IsExecutableFile(program) ? program : std::string();
    std::string_view path = pathVariable ? pathVariable : "";
    while (true) {
        const size_t colon = path.find(':');
        // An empty or relative entry names a folder below the current one: never start a
        // program from there.
        if (path.substr(0, colon).starts_with('/')) {
            std::string candidate(path.substr(0, colon));
            candidate.append(1, '/').append(program);
            if (IsExecutableFile(candidate))
                return candidate;
        }
        if (colon == std::string_view::npos)
            return {};
        path.remove_prefix(colon + 1);
    }
}

std::string FindBrowserProgram(const char* browserVariable, const char* pathVariable)
{
    const std::string_view browsers = browserVariable ? browserVariable : "";
    const std::string first(browsers.substr(0, browsers.find(':')));
    if (std::string found = FindOnPath(first, pathVariable); !found.empty())
        return found;
    return FindOnPath("xdg-open", pathVariable);
}

} // namespace platform
