#pragma once

// Putting the counter's include into the site's .php pages: the line itself, reading and
// rewriting one page, and the walk that finds the pages. No widgets here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kNoIncludePathAnswer = "BADPATH";

// "<?php if (is_file('PATH')) include 'PATH';?>": the line on top of a page. A counter folder
// that was moved or renamed leaves the page working and quiet.
std::string IncludeLine(const std::string& includePath);
// "if (\is_file('PATH')) include 'PATH';": the same inside a page's own PHP code, behind its
// declare and namespace statements, where is_file must not be taken from the namespace.
std::string IncludeStatement(const std::string& includePath);

// The path to use from what showmainpath.php answered, cut at its first CR or LF (scripts
// often end with a stray newline, and a line break would tear the include line in two).
// Nothing when the answer is empty, "BADPATH", nothing is left before the break, or the
// path cannot stand between the line's single quotes (a quote, a NUL byte, a backslash at
// the end): no page may get a broken include line.
std::optional<std::string> IncludePathFromAnswer(const std::string& answer);

struct PreparedPage {
    // True when the page must stay as it is: it has to begin with declare or namespace, and
    // where the include could go is not certain. Its bytes are then empty.
    bool leftAlone = false;
    std::string bytes;
};

// The page as it must be written back, every line ending in CR LF; no lines, no bytes.
// A page that must begin with declare(...) or "namespace Name;" gets IncludeStatement right
// behind those statements, unless it is there already. Any other page gets IncludeLine on
// top, unless its first line, trimmed, is our line for this path already (guarded or not).
// Our include lines or statements for another path are replaced, not stacked: lines of ours
// below the first one go, and so do lines of ours on top of a page that must begin with
// declare or namespace, which they would stop.
PreparedPage PreparePage(std::string_view pageBytes, const std::string& includePath);

// The whole file, or nothing with `error` saying why.
std::optional<std::string> ReadPageFile(const std::string& path, std::string& error);

struct PageFileResult {
    bool leftAlone = false; // not written: see PreparedPage
    std::string error; // empty on success, else why, naming the file
};

// Reads the page, prepares it and writes it back through a temporary file renamed over the
// original, so the page is either as it was or fully prepared whatever happens meanwhile.
PageFileResult PreparePageFile(const std::string& path, const std::string& includePath);

// True when the name's extension, from its last "." on, is ".php" in any ASCII letter case.
bool IsPageFileName(std::string_view name);

// What a walk over the site finds.
struct SiteWalk {
    std::vector<std::string> pages; // the .php files, in the order met
    // Temporary files that a killed page write left beside a page (platform::ReplacedFileNameOf
    // names a .php file): they hold a page's PHP source under a name no server runs.
    std::vector<std::string> leftovers;
};

// The full paths of the .php files in `folder` (folder + "/" + name), hidden ones included,
// entries of one folder in byte order of their names; with `subFolders` each subfolder is
// searched at once where it is met (depth first). Links are followed, but every real folder
// is searched once, so a link back into the tree cannot make the walk endless. A folder that
// cannot be listed adds nothing, and neither does a counter folder (see IsCounterFolder)
// nor anything below it. The leftovers come from the same folders.
SiteWalk WalkSite(const std::string& folder, bool subFolders);
std::vector<std::string> CollectPageFiles(const std::string& folder, bool subFolders);

// Deletes the leftovers a walk found; one that cannot be deleted stays.
void RemovePageWriteLeftovers(const std::vector<std::string>& leftovers);

// True when the folder holds the counter's own scripts, a count.php beside an actions.php
// (names in any ASCII letter case). The scripts must stay as they are: an include line on
// top stops them, and with count.php every page that includes it.
bool IsCounterFolder(const std::string& path);

// True when `path` is an absolute path that names an existing folder. A relative name is
// refused: it would depend on the directory the program happened to be started from.
bool IsExistingFolder(const std::string& path);
