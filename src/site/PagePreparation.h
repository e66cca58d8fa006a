#pragma once

// Putting the counter's include line at the top of the site's .php pages: the line itself,
// reading and rewriting one page, and the walk that finds the pages. No widgets here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kNoIncludePathAnswer = "BADPATH";

// "<?php include '" + path + "';?>"
std::string IncludeLine(const std::string& includePath);

// The path to use from what showmainpath.php answered, cut at its first CR or LF (scripts
// often end with a stray newline, and a line break would tear the include line in two).
// Nothing when the answer is empty, "BADPATH", or nothing is left before the break.
std::optional<std::string> IncludePathFromAnswer(const std::string& answer);

// The page as it must be written back: the include line on top unless its first line,
// trimmed, is exactly that line already; every line ending in CR LF. No lines, no bytes.
std::string PreparePage(std::string_view pageBytes, const std::string& includeLine);

// The whole file, or nothing with `error` saying why.
std::optional<std::string> ReadPageFile(const std::string& path, std::string& error);

// Reads the page, prepares it and writes it back through a temporary file renamed over the
// original, so the page is either as it was or fully prepared whatever happens meanwhile.
// Returns an empty text on success, else an error text that names the file.
std::string PreparePageFile(const std::string& path, const std::string& includeLine);

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
// cannot be listed adds nothing. The leftovers come from the same folders.
SiteWalk WalkSite(const std::string& folder, bool subFolders);
std::vector<std::string> CollectPageFiles(const std::string& folder, bool subFolders);

// Deletes the leftovers a walk found; one that cannot be deleted stays.
void RemovePageWriteLeftovers(const std::vector<std::string>& leftovers);

// True when `path` is an absolute path that names an existing folder. A relative name is
// refused: it would depend on the directory the program happened to be started from.
bool IsExistingFolder(const std::string& path);
