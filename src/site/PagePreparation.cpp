#include "site/PagePreparation.h"

#include "platform/ReplaceFile.h"
#include "text/TextRoutines.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

std::string_view FirstLine(std::string_view bytes)
{
    size_t end = 0;
    while (end < bytes.size() && !IsLineBreak(bytes[end]))
        ++end;
    return bytes.substr(0, end);
}

using FolderId = std::pair<dev_t, ino_t>;

void Walk(const std::string& folder, bool subFolders, std::set<FolderId>& walked, std::vector<std::string>& found)
{
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return;
    struct Entry {
        std::string name;
        unsigned char type;
    };
    std::vector<Entry> entries;
    errno = 0;
    while (const dirent* entry = readdir(listing)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        entries.push_back({entry->d_name, entry->d_type});
    }
    const bool failed = errno != 0;
    closedir(listing);
    if (failed)
        return;

    // The file system gives no useful order; name order makes every run the same.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });

    for (const Entry& entry : entries) {
        const bool pageName = IsPageFileName(entry.name);
        // A plain file needs no further look unless it is a page; links and unknown
        // types are looked up to see where they lead.
        if (entry.type == DT_REG && !pageName)
            continue;
        if (!subFolders && !pageName)
            continue;
        std::string path = folder + "/" + entry.name;
        if (entry.type == DT_REG) {
            found.push_back(std::move(path));
            continue;
        }
        struct stat target { };
        if (stat(path.c_str(), &target) != 0)
            continue;
        if (S_ISREG(target.st_mode)) {
            // Only plain files: reading a pipe or a device named *.php would never end.
            if (pageName)
                found.push_back(std::move(path));
        } else if (subFolders && S_ISDIR(target.st_mode)) {
            if (walked.insert({target.st_dev, target.st_ino}).second)
                Walk(path, subFolders, walked, found);
        }
    }
}

} // namespace

std::string IncludeLine(const std::string& includePath)
{
    return "<?php include '" + includePath + "';?>";
}

std::optional<std::string> IncludePathFromAnswer(const std::string& answer)
{
    const std::string path = answer.substr(0, answer.find_first_of("\r\n"));
    if (path.empty() || path == kNoIncludePathAnswer)
        return std::nullopt;
    return path;
}

std::string PreparePage(std::string_view pageBytes, const std::string& includeLine)
{
    std::string prepared;
    if (pageBytes.empty())
        return prepared;
    prepared.reserve(pageBytes.size() + includeLine.size() + 2 + pageBytes.size() / 16 + 16);
    if (TrimControls(FirstLine(pageBytes)) != includeLine) {
        prepared += includeLine;
        prepared += "\r\n";
    }
    ForEachLine(pageBytes, [&](std::string_view line) {
        prepared += line;
        prepared += "\r\n";
    });
    return prepared;
}

std::optional<std::string> ReadPageFile(const std::string& path, std::string& error)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes;
    struct stat info { };
    if (fstat(fd, &info) == 0 && info.st_size > 0)
        bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return bytes;
}

std::string PreparePageFile(const std::string& path, const std::string& includeLine)
{
    std::string error;
    const std::optional<std::string> bytes = ReadPageFile(path, error);
    if (!bytes)
        return "Unable to read " + path + ": " + error;
    // A linked page is rewritten where the link leads, so the link itself stays a link.
    std::string target = path;
    struct stat link { };
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    // No flush to disk: the rename alone already leaves either the old or the new page
    // after a killed program, and a flush per page would make large sites crawl.
    const std::string failure = platform::ReplaceFileContents(target, PreparePage(*bytes, includeLine), 0644, false);
    if (!failure.empty()) {
        const size_t reason = failure.rfind(": ");
        return "Unable to write to " + path + (reason == std::string::npos ? "" : failure.substr(reason));
    }
    return {};
}

bool IsPageFileName(std::string_view name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view extension = name.substr(dot);
    static constexpr std::string_view kPage = ".php";
    if (extension.size() != kPage.size())
        return false;
    for (size_t i = 0; i < kPage.size(); ++i) {
        char c = extension[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kPage[i])
            return false;
    }
    return true;
}

std::vector<std::string> CollectPageFiles(const std::string& folder, bool subFolders)
{
    std::vector<std::string> found;
    struct stat top { };
    if (stat(folder.c_str(), &top) != 0 || !S_ISDIR(top.st_mode))
        return found;
    std::set<FolderId> walked{{top.st_dev, top.st_ino}};
    Walk(folder, subFolders, walked, found);
    return found;
}

bool IsExistingFolder(const std::string& path)
{
    struct stat info { };
    return !path.empty() && path.front() == '/' && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
