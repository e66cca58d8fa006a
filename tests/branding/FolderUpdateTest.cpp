#include "FolderUpdate.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using Contents = std::map<std::string, std::string>;

class FolderUpdateTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& [name, bytes] : before)
            WriteWholeFile(folder.File(name), bytes);
    }

    const Contents before = {{"banner1.dat", "old one"}, {"banner2.dat", "old two"}, {"keep.txt", "not ours"}};
    // A replacement, a new file, a removal, and the removal of a file that is not there.
    const std::vector<FileChange> changes = {{"banner1.dat", "new one"}, {"banner3.dat", "new three"},
        {"banner2.dat", std::nullopt}, {"banner4.dat", std::nullopt}};
    TempDir folder;
};

TEST_F(FolderUpdateTest, WritesReplacesAndRemovesLeavingNothingElse)
{
    EXPECT_EQ(UpdateFolder(folder.Path(), changes), "");
    EXPECT_EQ(FolderContents(folder.Path()),
        (Contents{{"banner1.dat", "new one"}, {"banner3.dat", "new three"}, {"keep.txt", "not ours"}}));
}

// Whichever rename fails, the folder ends as it began: no new file, no old one lost, no
// temporary left behind.
TEST_F(FolderUpdateTest, AFailedRenameAtAnyStepLeavesTheFolderAsItWas)
{
    for (int failAt = 1;; ++failAt) {
        TempDir fresh;
        for (const auto& [name, bytes] : before)
            WriteWholeFile(fresh.File(name), bytes);
        int calls = 0;
        const std::string error = UpdateFolder(fresh.Path(), changes,
            [&](const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& code) {
                if (++calls == failAt)
                    code = std::make_error_code(std::errc::io_error);
                else
                    SystemRename(from, to, code);
            });
        if (calls < failAt) { // every rename has had its turn to fail
            EXPECT_EQ(error, "");
            EXPECT_GT(failAt, 3);
            break;
        }
        EXPECT_NE(error.find("nothing was changed"), std::string::npos) << failAt << ": " << error;
        EXPECT_EQ(FolderContents(fresh.Path()), before) << "failing rename " << failAt;
    }
}

TEST_F(FolderUpdateTest, SomethingOtherThanAFileInAPlaceIsRefusedBeforeAnyWrite)
{
    std::filesystem::create_directory(folder.File("banner3.dat"));
    const std::string error = UpdateFolder(folder.Path(), changes);
    EXPECT_NE(error.find("banner3.dat is not a file"), std::string::npos) << error;
    Contents expected = before;
    expected["banner3.dat"] = "(folder)";
    EXPECT_EQ(FolderContents(folder.Path()), expected);
}

} // namespace
