#pragma once

// Changes several files of one folder together: every new file is written under a temporary
// name first, then the old files are moved aside and the new ones renamed into place. When
// anything fails, what was done is undone, so the folder ends either wholly changed or as it was.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

struct FileChange {
    std::string name; // a file name inside the folder
    std::optional<std::string> bytes; // the new contents; nothing removes the file
};

// Renames are the steps that can fail once everything is written; tests pass one that fails on cue.
using RenameFile
    = std::function<void(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code&)>;

void SystemRename(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error);

// Empty on success, else what failed. Removing a file that is not there is no change. A name
// that is taken by something other than a file (a folder, say) is refused before anything is
// written.
std::string UpdateFolder(const std::filesystem::path& folder, const std::vector<FileChange>& changes,
    const RenameFile& rename = SystemRename);
