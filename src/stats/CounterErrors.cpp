#include "stats/CounterErrors.h"

#include <array>
#include <utility>

namespace {

// Each text fits the status bar of a main window of its usual size.
constexpr std::array<std::pair<std::string_view, const char*>, 7> kCounterErrors = {{
    {"NOCONFIG", "The counter has no database settings: upload the config.php written by Settings into its folder."},
    {"DBFAIL", "The counter cannot reach its database: check the database settings and that the server runs."},
    {"READONLY", "The counter cannot store views: its database is read-only. Make it writable on the server."},
    {"DENIED", "The counter cannot store views: its database user may not write. Grant it write rights."},
    {"DISKFULL", "The counter cannot store views: the disk of its database is full. Free space on the server."},
    {"COUNTFAIL", "The counter failed to store the last view but works now: open one of your pages to clear this."},
    {"BADREQUEST", "The counter did not understand the request: upload the counter scripts of this version."},
}};

} // namespace

const char* CounterErrorText(std::string_view answer)
{
    for (const auto& [word, text] : kCounterErrors)
        if (answer == word)
            return text;
    return nullptr;
}
