#include "platform/ReplaceFile.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sys/stat.h>

using platform::ReplacedFileNameOf;
using platform::ReplaceFileContents;

namespace {

unsigned ModeOf(const std::string& path)
{
    struct stat info { };
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::vector<std::string> Names(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

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

struct ModeCase {
    unsigned mode;
    bool writable;
};

void PrintTo(const ModeCase& c, std::ostream* out)
{
    *out << std::oct << "0" << c.mode;
}

class ReplaceFileModeTest : public testing::TestWithParam<ModeCase> { };

// The owner's write bit decides, for root as for anyone: the folder's permission alone would
// let the rename through.
TEST_P(ReplaceFileModeTest, AFileItsOwnerMayNotWriteIsLeftAlone)
{
    TempDir folder;
    const std::string path = folder.File("index.php");
    WriteWholeFile(path, "protected");
    ASSERT_EQ(chmod(path.c_str(), GetParam().mode), 0);

    const std::string error = ReplaceFileContents(path, "replaced", 0644, false);

    if (GetParam().writable) {
        EXPECT_EQ(error, "");
        EXPECT_EQ(ReadWholeFile(path), "replaced");
    } else {
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        // chmod so that a non-root run can read it back.
        chmod(path.c_str(), 0600);
        EXPECT_EQ(ReadWholeFile(path), "protected");
    }
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"index.php"});
}

INSTANTIATE_TEST_SUITE_P(Modes, ReplaceFileModeTest,
    testing::Values(ModeCase{0444, false}, ModeCase{0400, false}, ModeCase{0555, false}, ModeCase{0066, false},
        ModeCase{0644, true}, ModeCase{0600, true}, ModeCase{0620, true}));

// A write killed between creating its temporary file and the rename, as a crash or a kill
// would leave it: the page stays whole, and what is left beside it carries the mark.
TEST(ReplaceFile, AKilledWriteLeavesOnlyAFileOfTheMarkedShape)
{
    TempDir folder;
    const std::string path = folder.File("index.php");
    WriteWholeFile(path, "<?php echo 'old';");
    ASSERT_TRUE(KilledWhileWriting([&] { ReplaceFileContents(path, std::string(8192, 's'), 0644, false); }));

    EXPECT_EQ(ReadWholeFile(path), "<?php echo 'old';");
    const std::vector<std::string> names = Names(folder.Path());
    ASSERT_EQ(names.size(), 2u);
    const std::string& leftover = names[0] == "index.php" ? names[1] : names[0];
    EXPECT_EQ(ReplacedFileNameOf(leftover), std::optional<std::string_view>("index.php")) << leftover;
}

struct NameCase {
    const char* name;
    std::optional<std::string_view> replaced;
};

void PrintTo(const NameCase& c, std::ostream* out)
{
    *out << testing::PrintToString(std::string(c.name));
}

class ReplacedFileNameTest : public testing::TestWithParam<NameCase> { };

TEST_P(ReplacedFileNameTest, OnlyTheMarkedShapeIsATemporary)
{
    EXPECT_EQ(ReplacedFileNameOf(GetParam().name), GetParam().replaced);
}

INSTANTIATE_TEST_SUITE_P(Names, ReplacedFileNameTest,
    testing::Values(NameCase{".index.php.tallywick-aB3xY9", "index.php"},
        NameCase{".a.b.PHP.tallywick-000000", "a.b.PHP"}, NameCase{"..php.tallywick-ZZZZZZ", ".php"},
        NameCase{".index.php.tallywick-aB3xY", std::nullopt}, NameCase{".index.php.tallywick-aB3xY90", std::nullopt},
        NameCase{".index.php.tallywick-aB3x_9", std::nullopt}, NameCase{"index.php.tallywick-aB3xY9", std::nullopt},
        NameCase{".index.php.tallywick-aB3xY9.bak", std::nullopt}, NameCase{".index.php.aB3xY9", std::nullopt},
        NameCase{".index.php.Tallywick-aB3xY9", std::nullopt}, NameCase{"..tallywick-aB3xY9", std::nullopt},
        NameCase{".tallywick-aB3xY9", std::nullopt}, NameCase{"", std::nullopt}));
