#pragma once

#include <string>

namespace platform {

// Whether this user may create files in the folder (false when it is missing, or lies on a
// read-only file system). Root passes wherever the file system allows writing.
bool CanWriteFolder(const std::string& path);

} // namespace platform
