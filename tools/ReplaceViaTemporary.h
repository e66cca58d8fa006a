#pragma once

// Writes a file under a temporary name in its final folder and renames it into place only
// when the writer succeeds, so a failed run never leaves a partial file under that name.

#include "container/ByteStreams.h"

#include <filesystem>
#include <functional>
#include <string>

// `write` returns an empty text on success, else what went wrong; that text is returned
// (or a file error of our own). The temporary file is removed on every failure.
std::string ReplaceViaTemporary(const std::string& path, const std::function<std::string(WritableStream&)>& write);

// A name beside `path` that is free now: "." + its name + `mark` + random digits, hidden.
std::filesystem::path TemporarySibling(const std::filesystem::path& path, const std::string& mark);
