// Windows backend of CanWriteFolder: folder permissions are access lists that no attribute
// shows, so the probe creates a file that the system deletes again when it is closed.
#include "platform/FolderAccess.h"

#include <windows.h>

namespace platform {

bool CanWriteFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    char probe[MAX_PATH];
    if (GetTempFileNameA(path.c_str(), "twk", 0, probe) == 0)
        return false;
    DeleteFileA(probe);
    return true;
}

} // namespace platform
