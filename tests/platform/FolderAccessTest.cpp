#include "platform/FolderAccess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::CanWriteFolder;

namespace {

// Asks in a child process that runs as an ordinary user, since root may write anywhere.
// Gives -1 when this process may not change its user.
int CanWriteAsNobody(const std::string& folder)
{
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        _exit(CanWriteFolder(folder) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 3;
    return code == 2 ? -1 : code;
}

} // namespace

TEST(FolderAccess, OnlyAnExistingFolderCanBeWritten)
{
    TempDir folder;
    WriteWholeFile(folder.File("file"), "x");
    EXPECT_TRUE(CanWriteFolder(folder.Path().string()));
    EXPECT_FALSE(CanWriteFolder(folder.File("file")));
    EXPECT_FALSE(CanWriteFolder(folder.File("missing")));
}

TEST(FolderAccess, FollowsThePermissionsOfAnOrdinaryUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    TempDir folder;
    const std::filesystem::path system = folder.Path() / "system", open = folder.Path() / "open";
    std::filesystem::create_directories(system);
    std::filesystem::create_directories(open);
    chmod(folder.Path().c_str(), 0755);
    chmod(system.c_str(), 0755);
    chmod(open.c_str(), 0777);
    EXPECT_EQ(CanWriteAsNobody(system.string()), 0);
    EXPECT_EQ(CanWriteAsNobody(open.string()), 1);
    EXPECT_TRUE(CanWriteFolder(system.string())); // root himself
}
