#include "platform/ReplaceFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using platform::ReplaceFileContents;

static unsigned ModeOf(const std::string& path)
{
    struct stat info { };
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

TEST(ReplaceFile, NewFileGetsTheRequestedModeAndExactBytes)
{
    TempDir folder;
    const std::string path = folder.File("secret.dat");
    const std::string bytes("a\0b\r\n\xff", 6);
    EXPECT_EQ(ReplaceFileContents(path, bytes, 0600), "");
    EXPECT_EQ(ReadWholeFile(path), bytes);
    EXPECT_EQ(ModeOf(path), 0600u);
}

TEST(ReplaceFile, ExistingFileKeepsItsPermissionsAndLeavesNoTemporaryFile)
{
    TempDir folder;
    const std::string path = folder.File("page.php");
    WriteWholeFile(path, "old");
    chmod(path.c_str(), 0640);
    EXPECT_EQ(ReplaceFileContents(path, "new", 0600, false), "");
    EXPECT_EQ(ReadWholeFile(path), "new");
    EXPECT_EQ(ModeOf(path), 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(ReplaceFile, FailureLeavesTheOldFileWhole)
{
    TempDir folder;
    // A folder where the file should be: nothing can replace it.
    const std::string path = folder.File("taken");
    std::filesystem::create_directory(path);
    WriteWholeFile(path + "/inside", "kept");
    EXPECT_NE(ReplaceFileContents(path, "new"), "");
    EXPECT_EQ(ReadWholeFile(path + "/inside"), "kept");

    // A folder that does not exist: the error names the file.
    const std::string missing = folder.File("no-such-folder/file.txt");
    EXPECT_NE(ReplaceFileContents(missing, "x").find("no-such-folder"), std::string::npos);
}
