#pragma once

// The name of ReplaceFileContents' temporary files, shared by its backends.

#include <string>
#include <string_view>

namespace platform {

inline constexpr std::string_view kTemporaryMark = ".tallywick-";
inline constexpr std::size_t kTemporaryRandomLength = 6;

// The folder part of `path` and its last name, split at the last '/' (or '\' on Windows).
std::string FolderOf(const std::string& path);
std::string BaseNameOf(const std::string& path);

// The temporary's path for `path` without its random end: folder, "." + name + the mark.
std::string TemporaryPrefixFor(const std::string& path);

} // namespace platform
