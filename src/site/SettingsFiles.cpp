#include "site/SettingsFiles.h"

#include "platform/ReplaceFile.h"
#include "text/IniText.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace {

constexpr const char* kSection = "Settings";

// Keys in the order a new file lists them.
std::array<std::pair<const char*, std::string ServerSettings::*>, 5> Keys()
{
    return {{
        {"swebserver", &ServerSettings::siteUrl},
        {"shostname", &ServerSettings::hostname},
        {"sdatabase", &ServerSettings::database},
        {"susername", &ServerSettings::username},
        {"spassword", &ServerSettings::password},
    }};
}

std::string PhpQuoted(const std::string& value)
{
    std::string quoted = "\"";
    for (char c : value) {
        switch (c) {
        case '\\': quoted += "\\\\"; break;
        case '"': quoted += "\\\""; break;
        case '$': quoted += "\\$"; break;
        case '\r': quoted += "\\r"; break;
        case '\n': quoted += "\\n"; break;
        default: quoted += c;
        }
    }
    return quoted + "\"";
}

std::string JoinPath(const std::string& folder, const char* name)
{
    return (std::filesystem::path(folder) / name).string();
}

std::optional<std::string> ReadFile(const std::string& path)
{
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return std::nullopt;
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad())
            return std::nullopt;
        return bytes;
    } catch (const std::exception&) { // a folder in the file's place, for one
        return std::nullopt;
    }
}

void WriteOrThrow(const std::string& path, const std::string& bytes, unsigned newFileMode)
{
    if (!platform::ReplaceFileContents(path, bytes, newFileMode).empty())
        throw std::runtime_error("Unable to write to " + path);
}

} // namespace

ServerSettings ReadServerSettingsText(const std::string& iniText)
{
    ServerSettings settings;
    for (const auto& [key, field] : Keys())
        settings.*field = ReadIniValue(iniText, kSection, key);
    return settings;
}

std::string WriteServerSettingsText(const std::string& existingText, const ServerSettings& settings)
{
    std::string text = existingText;
    for (const auto& [key, field] : Keys())
        text = WriteIniValue(text, kSection, key, settings.*field);
    return text;
}

std::string MakeConfigPhp(const ServerSettings& settings)
{
    return "<?php\r\n"
           "  $hostname="
        + PhpQuoted(settings.hostname)
        + ";\r\n"
          "  $database="
        + PhpQuoted(settings.database)
        + ";\r\n"
          "  $username="
        + PhpQuoted(settings.username)
        + ";\r\n"
          "  $password="
        + PhpQuoted(settings.password)
        + ";\r\n"
          "?>\r\n";
}

std::optional<ServerSettings> LoadServerSettingsFile(const std::string& programDirectory)
{
    const std::string path = JoinPath(programDirectory, kSettingsFileName);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return std::nullopt;
    return ReadServerSettingsText(ReadFile(path).value_or(std::string()));
}

void SaveServerSettingsFiles(const std::string& programDirectory, const ServerSettings& settings)
{
    const std::string settingsPath = JoinPath(programDirectory, kSettingsFileName);
    std::string existing;
    std::error_code error;
    if (std::filesystem::exists(settingsPath, error)) {
        // Rewriting a file we could not read would lose what else it holds.
        const std::optional<std::string> bytes = ReadFile(settingsPath);
        if (!bytes)
            throw std::runtime_error("Unable to write to " + settingsPath);
        existing = *bytes;
    }
    // Both files hold the database password in plain text: only their owner may read a new one.
    WriteOrThrow(settingsPath, WriteServerSettingsText(existing, settings), 0600);
    WriteOrThrow(JoinPath(programDirectory, kConfigFileName), MakeConfigPhp(settings), 0600);
}
