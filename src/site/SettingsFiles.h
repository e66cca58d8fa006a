#pragma once

// hsettings.dat (the five settings, section "Settings") and the config.php written from them.

#include "site/ServerSettings.h"

#include <optional>
#include <string>

inline constexpr const char* kSettingsFileName = "hsettings.dat";
inline constexpr const char* kConfigFileName = "config.php";

ServerSettings ReadServerSettingsText(const std::string& iniText);
// The settings file's new text: the five keys set in order, everything else kept.
std::string WriteServerSettingsText(const std::string& existingText, const ServerSettings& settings);
// Six CR LF lines; each value escaped so that PHP receives it exactly as typed.
std::string MakeConfigPhp(const ServerSettings& settings);

// Nothing when the program folder holds no settings file.
std::optional<ServerSettings> LoadServerSettingsFile(const std::string& programDirectory);
// Writes hsettings.dat, then config.php, each replacing the old file whole. Throws
// std::runtime_error "Unable to write to <path>" for the first file that cannot be written.
void SaveServerSettingsFiles(const std::string& programDirectory, const ServerSettings& settings);
