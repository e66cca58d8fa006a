#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes the bytes to a temporary file in the same folder and renames it over `path`,
// so the old file stays whole if anything fails. An existing file keeps its permission
// bits; a new one gets `newFileMode`. With `durable` the data reach the disk before the
// rename, so even a power cut leaves one whole version. Returns an empty text on success,
// else what failed.
std::string ReplaceFileContents(
    const std::string& path, std::string_view bytes, unsigned newFileMode = 0644, bool durable = true);

} // namespace platform
