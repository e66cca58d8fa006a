#include "site/PagePreparation.h"

#include "platform/ReplaceFile.h"
#include "site/PageStart.h"
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

std::string_view AfterFirstLine(std::string_view bytes, size_t lineLength)
{
    size_t next = lineLength;
    if (next < bytes.size())
        next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
    return bytes.substr(next);
}

bool IsPhpBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where a path written by some run of ours may point: the server's absolute path of the
// counting script, in a Unix or a Windows form.
bool IsAbsolutePath(std::string_view path)
{
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return path.substr(0, 1) == "/" || path.substr(0, 2) == "\\\\"
        || (path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && (path[2] == '/' || path[2] == '\\'));
}

std::string_view FileNameOf(std::string_view path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

enum class OurInclude { None, ThisPath, OtherPath };

// Moves over the exact bytes of one of our forms.
class FormReader {
public:
    explicit FormReader(std::string_view text)
        : text_(text)
    { }

    bool Take(std::string_view literal)
    {
        if (text_.substr(at_, literal.size()) != literal)
            return false;
        at_ += literal.size();
        return true;
    }

    // The path up to its closing quote: not empty, on one line.
    std::optional<std::string_view> Path()
    {
        const size_t end = text_.find_first_of("'\r\n", at_);
        if (end == std::string_view::npos || end == at_ || text_[end] != '\'')
            return std::nullopt;
        const std::string_view path = text_.substr(at_, end - at_);
        at_ = end;
        return path;
    }

    size_t At() const { return at_; }

private:
    std::string_view text_;
    size_t at_ = 0;
};

// The path of an include statement as a run of ours writes it: "include 'P';" or
// "if (is_file('P')) include 'P';", is_file with or without its "\".
std::optional<std::string_view> ReadOurStatement(FormReader& form)
{
    if (form.Take("include '")) {
        const std::optional<std::string_view> path = form.Path();
        return path && form.Take("';") ? path : std::nullopt;
    }
    if (!form.Take("if ("))
        return std::nullopt;
    form.Take("\\");
    std::optional<std::string_view> tested;
    if (!form.Take("is_file('") || !(tested = form.Path()) || !form.Take("')) include '"))
        return std::nullopt;
    const std::optional<std::string_view> path = form.Path();
    return path && *path == *tested && form.Take("';") ? path : std::nullopt;
}

// A site's own "include 'header.php'" has the same form as ours: only an absolute path to a
// script of the same name as ours counts as one of our includes for another path.
OurInclude WhoseInclude(std::optional<std::string_view> path, const std::string& includePath)
{
    if (!path)
        return OurInclude::None;
    if (*path == includePath)
        return OurInclude::ThisPath;
    if (IsAbsolutePath(*path) && FileNameOf(*path) == FileNameOf(includePath))
        return OurInclude::OtherPath;
    return OurInclude::None;
}

// A whole (trimmed) line that is one of our include lines: "<?php " + statement + "?>".
OurInclude RecogniseLine(std::string_view line, const std::string& includePath)
{
    FormReader form(line);
    if (!form.Take("<?php "))
        return OurInclude::None;
    const std::optional<std::string_view> path = ReadOurStatement(form);
    if (!path || !form.Take("?>") || form.At() != line.size())
        return OurInclude::None;
    return WhoseInclude(path, includePath);
}

// An include statement of ours at the start of `text`, and how long it is.
OurInclude RecogniseStatement(std::string_view text, const std::string& includePath, size_t& length)
{
    FormReader form(text);
    const OurInclude whose = WhoseInclude(ReadOurStatement(form), includePath);
    length = form.At();
    return whose;
}

// What a killed page write left: our temporary file of a page, never anything else.
bool IsPageWriteLeftover(const std::string& name)
{
    const std::optional<std::string_view> page = platform::ReplacedFileNameOf(name);
    return page && IsPageFileName(*page);
}

const std::string kSeparator(1, static_cast<char>(fs::path::preferred_separator));

struct Entry {
    std::string name;
    fs::file_type type;
};

// The entries of a folder with the type the listing gave, without following links; nothing
// when it cannot be listed.
std::optional<std::vector<Entry>> ListFolder(const std::string& folder)
{
    std::vector<Entry> entries;
    std::error_code error;
    fs::directory_iterator listing(folder, error);
    for (; !error && listing != fs::directory_iterator(); listing.increment(error)) {
        const fs::file_type type = listing->symlink_status(error).type();
        if (error)
            break;
        entries.push_back({listing->path().filename().string(), type});
    }
    if (error)
        return std::nullopt;
    return entries;
}

// A count.php beside an actions.php, each a file or a link to one.
bool HoldsCounterScripts(const std::string& folder, const std::vector<Entry>& entries)
{
    bool count = false;
    bool actions = false;
    for (const Entry& entry : entries) {
        const bool isCount = EqualsIgnoringCase(entry.name, "count.php");
        if (!isCount && !EqualsIgnoringCase(entry.name, "actions.php"))
            continue;
        std::error_code error;
        if (entry.type != fs::file_type::regular
            && !(entry.type == fs::file_type::symlink && fs::is_regular_file(folder + kSeparator + entry.name, error)))
            continue;
        (isCount ? count : actions) = true;
    }
    return count && actions;
}

struct Walker {
    bool subFolders;
    SiteWalk& result;
    // Real folders walked so far, by their path without links, so each is walked once.
    std::set<fs::path> walked;

    void Walk(const std::string& folder, const fs::path& realFolder)
    {
        std::optional<std::vector<Entry>> listed = ListFolder(folder);
        if (!listed || HoldsCounterScripts(folder, *listed))
            return;
        std::vector<Entry>& entries = *listed;

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
            std::error_code error;
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
    return "<?php if (is_file('" + includePath + "')) include '" + includePath + "';?>";
}

std::string IncludeStatement(const std::string& includePath)
{
    return "if (\\is_file('" + includePath + "')) include '" + includePath + "';";
}

std::optional<std::string> IncludePathFromAnswer(const std::string& answer)
{
    const std::string path = answer.substr(0, answer.find_first_of("\r\n"));
    if (path.empty() || path == kNoIncludePathAnswer || path.find('\'') != std::string::npos
        || path.find('\0') != std::string::npos || path.back() == '\\')
        return std::nullopt;
    return path;
}

PreparedPage PreparePage(std::string_view pageBytes, const std::string& includePath)
{
    PreparedPage prepared;
    if (pageBytes.empty())
        return prepared;
    // Lines of ours on top are not part of the page: what must come first is read behind
    // them. Earlier runs stacked a new line on a stale one when the counter's folder moved.
    const std::string_view firstLine = FirstLine(pageBytes);
    OurInclude top = OurInclude::None;
    std::string_view page = pageBytes;
    size_t ours = 0;
    for (;;) {
        const std::string_view line = FirstLine(page);
        const OurInclude whose = RecogniseLine(TrimControls(line), includePath);
        if (whose == OurInclude::None)
            break;
        if (ours++ == 0)
            top = whose;
        page = AfterFirstLine(page, line.size());
    }
    const PageStart start = ReadPageStart(page);

    std::string head; // a line put on top
    std::string edited; // the page with the statement placed in it
    std::string_view body = pageBytes;
    switch (start.kind) {
    case PageStart::Kind::Unsure: prepared.leftAlone = true; return prepared;
    case PageStart::Kind::AfterFirstStatements: {
        body = page;
        const std::string_view behind = page.substr(start.after);
        size_t blanks = 0;
        while (blanks < behind.size() && IsPhpBlank(behind[blanks]))
            ++blanks;
        size_t length = 0;
        const OurInclude there = RecogniseStatement(behind.substr(blanks), includePath, length);
        if (there == OurInclude::ThisPath)
            break;
        edited.reserve(page.size() + 2 * includePath.size() + 32);
        edited.append(page.substr(0, start.after));
        if (there == OurInclude::OtherPath) {
            edited.append(behind.substr(0, blanks));
            edited += IncludeStatement(includePath);
            edited.append(behind.substr(blanks + length));
        } else {
            // On the line of the statement before it, so the page's line numbers stay as they were.
            edited += ' ';
            edited += IncludeStatement(includePath);
            edited.append(behind);
        }
        body = edited;
        break;
    }
    case PageStart::Kind::Free:
        if (top == OurInclude::ThisPath && ours == 1)
            break;
        head = top == OurInclude::ThisPath ? std::string(firstLine) : IncludeLine(includePath);
        head += "\r\n";
        body = page;
        break;
    }
    prepared.bytes.reserve(head.size() + body.size() + body.size() / 16 + 16);
    prepared.bytes += head;
    ForEachLine(body, [&](std::string_view line) {
        prepared.bytes += line;
        prepared.bytes += "\r\n";
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

PageFileResult PreparePageFile(const std::string& path, const std::string& includePath)
{
    PageFileResult result;
    const std::optional<std::string> bytes = ReadPageFile(path, result.error);
    if (!bytes) {
        result.error = "Unable to read " + path + ": " + result.error;
        return result;
    }
    PreparedPage prepared = PreparePage(*bytes, includePath);
    if (prepared.leftAlone) {
        result.leftAlone = true;
        return result;
    }
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
    const std::string failure = platform::ReplaceFileContents(target, prepared.bytes, 0644, false);
    if (!failure.empty()) {
        const size_t reason = failure.rfind(": ");
        result.error = "Unable to write to " + path + (reason == std::string::npos ? "" : failure.substr(reason));
    }
    return result;
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

bool IsCounterFolder(const std::string& path)
{
    const std::optional<std::vector<Entry>> entries = ListFolder(path);
    return entries && HoldsCounterScripts(path, *entries);
}

bool IsExistingFolder(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::path(path).is_absolute() && fs::is_directory(path, error);
}
