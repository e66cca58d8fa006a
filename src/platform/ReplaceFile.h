#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Writes the bytes to a temporary file in the same folder and renames it over `path`,
// so the old file stays whole if anything fails. An existing file keeps its permission
// bits; a new one gets `newFileMode`. A file that may not be written is refused and left
// as it is: one this user may not write, and one whose owner may not write it (a file the
// user protected), even when this user could. With `durable` the data reach the disk before
// the rename, so even a power cut leaves one whole version. Returns an empty text on success,
// else what failed, naming the file.
std::string ReplaceFileContents(
    const std::string& path, std::string_view bytes, unsigned newFileMode = 0644, bool durable = true);

// The temporary file of a write to "name" is "." + name + ".tallywick-" + six letters or
// digits, beside it; it only outlives the write when the program is killed meanwhile.
// Given a file name (without folder), the name of the file it was the temporary of, or
// nothing when the name does not have that shape.
std::optional<std::string_view> ReplacedFileNameOf(std::string_view temporaryName);

} // namespace platform
