#pragma once

// Which folder holds hsettings.dat and config.php. A portable copy keeps them beside itself;
// an installed copy, whose folder belongs to the system, in the user's own folder.

#include <functional>
#include <string>

// True when the program lies in the "bin" folder of an installed tree, which holds its
// server scripts in "share/tallywick" beside that folder. Such a folder is the system's even
// when this user (root, say) may write it.
bool IsInstalledProgramFolder(const std::string& programDirectory);

// The program's folder when it is not an installed one and this user may write it; else
// `userFolder` (the user's configuration folder for the program), unless that is unknown.
std::string ChooseSettingsFolder(const std::string& programDirectory, const std::string& userFolder,
    const std::function<bool(const std::string& folder)>& canWriteFolder);
