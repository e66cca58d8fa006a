#include "site/PagePreparation.h"

#include "platform/ReplaceFile.h"
#include "text/TextRoutines.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <utility>

namespace fs = std::filesystem;

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

// What a killed page write left: our temporary file of a page, never anything else.
bool IsPageWriteLeftover(const std::string& name)
{
    const std::optional<std::string_view> page = platform::ReplacedFileNameOf(name);
    return page && IsPageFileName(*page);
}

const std::string kSeparator(1, static_cast<char>(fs::path::preferred_separator));

struct Walker {
    bool subFolders;
    SiteWalk& result;
    // Real folders walked so far, by their path without links, so each is walked once.
    std::set<fs::path> walked;

    void Walk(const std::string& folder, const fs::path& realFolder)
    {
        struct Entry {
            std::string name;
            fs::file_type type;
        };
        std::vector<Entry> entries;
        std::error_code error;
        fs::directory_iterator listing(folder, error);
        for (; !error && listing != fs::directory_iterator(); listing.increment(error)) {
            // The type the listing gave, without following a link.
            const fs::file_type type = listing->symlink_status(error).type();
            if (error)
                break;
            entries.push_back({listing->path().filename().string(), type});
        }
        if (error)
            return;

        // The file system gives no useful order; name order makes every run the same.
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });

        for (const Entry& entry : entries) {
            const bool pageName = IsPageFileName(entry.name);
            if (entry.type == fs::file_type::regular) {
                if (pageName)
                    result.pages.push_back(folder + kSeparator + entry.name);
                else if (IsPageWriteLeftover(entry.name))
                    result.leftovers.push_back(folder + kSeparator + entry.name);
                continue;
            }
            if (!subFolders && !pageName)
                continue;
            std::string path = folder + kSeparator + entry.name;
            if (entry.type == fs::file_type::directory) {
                if (subFolders && walked.insert(realFolder / entry.name).second)
                    Walk(path, realFolder / entry.name);
                continue;
            }
            // A link, or a type the listing did not say: look where it leads.
            const fs::file_status target = fs::status(path, error);
            if (error)
                continue;
            if (fs::is_regular_file(target)) {
                // Only plain files: reading a pipe or a device named *.php would never end.
                if (pageName)
                    result.pages.push_back(std::move(path));
            } else if (subFolders && fs::is_directory(target)) {
                fs::path real = fs::canonical(path, error);
                if (!error && walked.insert(real).second)
                    Walk(path, real);
            }
        }
    }
};

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
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, got);
        if (got < sizeof buffer)
            break;
    }
    const bool failed = std::ferror(file) != 0;
    if (failed)
        error = std::strerror(errno);
    std::fclose(file);
    if (failed)
        return std::nullopt;
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
    std::error_code linkError;
    if (fs::is_symlink(path, linkError)) {
        fs::path resolved = fs::canonical(path, linkError);
        if (!linkError)
            target = resolved.string();
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

SiteWalk WalkSite(const std::string& folder, bool subFolders)
{
    SiteWalk result;
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return result;
    fs::path real = fs::canonical(folder, error);
    if (error)
        return result;
    Walker walker{subFolders, result, {real}};
    walker.Walk(folder, real);
    return result;
}

std::vector<std::string> CollectPageFiles(const std::string& folder, bool subFolders)
{
    return WalkSite(folder, subFolders).pages;
}

void RemovePageWriteLeftovers(const std::vector<std::string>& leftovers)
{
    // A leftover that cannot go does no harm to the run; the pages are written all the same.
    std::error_code ignored;
    for (const std::string& path : leftovers)
        fs::remove(path, ignored);
}

bool IsExistingFolder(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::path(path).is_absolute() && fs::is_directory(path, error);
}
