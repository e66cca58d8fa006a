#include "platform/ReplaceFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

std::string ReplaceFileContents(const std::string& path, std::string_view bytes, unsigned newFileMode, bool durable)
{
    mode_t mode = static_cast<mode_t>(newFileMode);
    struct stat existing { };
    if (stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return path + ": is a folder";
        mode = existing.st_mode & 07777;
    }

    // A hidden sibling, so a half-written file never carries the real name.
    std::string temporary = FolderOf(path) + "/." + BaseNameOf(path) + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return temporary + ": " + std::strerror(errno);

    std::string error;
    if (!WriteAll(fd, bytes) || fchmod(fd, mode) != 0 || (durable && fsync(fd) != 0))
        error = std::strerror(errno);
    if (close(fd) != 0 && error.empty())
        error = std::strerror(errno);
    if (error.empty() && rename(temporary.c_str(), path.c_str()) != 0)
        error = std::strerror(errno);
    if (!error.empty()) {
        unlink(temporary.c_str());
        return path + ": " + error;
    }
    return {};
}

} // namespace platform
