#pragma once

#include <string>

namespace platform {

// The browser program named by a registered "http\shell\open\command" value:
// lower-cased, cut after the first ".exe" (which is put back), double quotes removed.
// An empty command gives an empty result; one without ".exe" gives ".exe".
std::string BrowserPathFromRegisteredCommand(const std::string& command);

// Where no registry exists: the first entry of $BROWSER (entries are separated by ':'),
// else xdg-open, each looked up on PATH unless given with a '/'. Empty when neither exists.
std::string FindBrowserProgram(const char* browserVariable, const char* pathVariable);

// Looks a program name up in a PATH-style list; a name holding '/' is taken as it is.
// Only absolute entries count: an empty or relative one (and an empty or missing list) would
// lead into the current folder.
// Empty when it is not an executable file.
std::string FindOnPath(const std::string& program, const char* pathVariable);

} // namespace platform
