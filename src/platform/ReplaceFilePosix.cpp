// POSIX backend of ReplaceFileContents: mkstemp, fchmod, fsync and rename.
#include "platform/ReplaceFile.h"

#include "platform/TemporaryName.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

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
        // The rename needs only the folder's permission; the file's own is honoured here, and
        // the owner's bit also for root, whom access() would let through.
        if (!(existing.st_mode & S_IWUSR) || access(path.c_str(), W_OK) != 0)
            return path + ": " + std::strerror(EACCES);
        mode = existing.st_mode & 07777;
    }

    std::string temporary = TemporaryPrefixFor(path) + std::string(kTemporaryRandomLength, 'X');
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
