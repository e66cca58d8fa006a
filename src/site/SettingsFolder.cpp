#include "site/SettingsFolder.h"

#include <filesystem>

bool IsInstalledProgramFolder(const std::string& programDirectory)
{
    const std::filesystem::path folder = std::filesystem::path(programDirectory).lexically_normal();
    // "/usr/bin/" names its folder with an empty last part.
    const std::filesystem::path bin = folder.has_filename() ? folder : folder.parent_path();
    std::error_code error;
    return bin.filename() == "bin" && std::filesystem::is_directory(bin.parent_path() / "share" / "tallywick", error);
}

std::string ChooseSettingsFolder(const std::string& programDirectory, const std::string& userFolder,
    const std::function<bool(const std::string& folder)>& canWriteFolder)
{
    if (userFolder.empty())
        return programDirectory;
    if (!IsInstalledProgramFolder(programDirectory) && canWriteFolder(programDirectory))
        return programDirectory;
    return userFolder;
}
