#include "shell/CommandLine.h"

#include "shell/AppVersion.h"

#include <string_view>

namespace {

void PrintUsage(std::ostream& out)
{
    out << "Usage: tallywick [--help | --version]\n"
           "\n"
           "Tallywick keeps the settings of your self-hosted web hit counter, prepares your\n"
           "site's pages and shows their hits and referers. Without an option it opens its\n"
           "window.\n"
           "\n"
           "  --help      show this text and exit\n"
           "  --version   show the version and exit\n"
           "\n"
           "A portable copy keeps its settings (hsettings.dat) and the config.php to\n"
           "upload beside itself; an installed copy, or one whose folder cannot be\n"
           "written, keeps them in ~/.config/tallywick/.\n";
}

} // namespace

std::optional<int> AnswerCommandLine(std::span<const char* const> arguments, std::ostream& out, std::ostream& errors)
{
    if (arguments.empty())
        return std::nullopt;
    const std::string_view option = arguments.size() == 1 ? arguments[0] : "";
    if (option == "--version") {
        out << "Tallywick " << kAppVersion << "\n";
        return 0;
    }
    if (option == "--help" || option == "-h") {
        PrintUsage(out);
        return 0;
    }
    if (arguments.size() == 1)
        errors << "tallywick: unknown option '" << arguments[0] << "'\n";
    else
        errors << "tallywick: one option at most\n";
    PrintUsage(errors);
    return kExitUsage;
}
