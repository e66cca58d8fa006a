#include "platform/FolderAccess.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool CanWriteFolder(const std::string& path)
{
    struct stat info { };
    // Creating a file needs the right to write the folder and to pass through it.
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && access(path.c_str(), W_OK | X_OK) == 0;
}

} // namespace platform
