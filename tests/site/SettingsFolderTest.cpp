#include "site/SettingsFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

namespace {

struct FolderCase {
    const char* name;
    const char* program; // the program's folder, inside the temporary tree
    bool writable; // what the probe says of it
    bool userFolderKnown;
    bool besideTheProgram; // the expected choice
};

void PrintTo(const FolderCase& c, std::ostream* out)
{
    *out << c.name;
}

class SettingsFolderTest : public testing::TestWithParam<FolderCase> { };

TEST_P(SettingsFolderTest, ChoosesBesideTheProgramOnlyForAWritablePortableCopy)
{
    // An installed tree, and folders that only look like one.
    TempDir tree;
    for (const char* folder :
        {"usr/bin", "usr/share/tallywick/server", "home/me/bin", "opt/tallywick-2.01", "opt/share/tallywick"})
        std::filesystem::create_directories(tree.Path() / folder);
    const FolderCase& c = GetParam();
    const std::string program = tree.File(c.program);
    const std::string user = c.userFolderKnown ? tree.File("home/me/.config/tallywick") : "";

    std::vector<std::string> asked;
    const std::string chosen = ChooseSettingsFolder(program, user, [&](const std::string& folder) {
        asked.push_back(folder);
        return c.writable;
    });
    EXPECT_EQ(chosen, c.besideTheProgram ? program : user);
    for (const std::string& folder : asked)
        EXPECT_EQ(folder, program);
}

INSTANTIATE_TEST_SUITE_P(Copies, SettingsFolderTest,
    testing::Values(FolderCase{"PortableWritable", "opt/tallywick-2.01", true, true, true},
        FolderCase{"PortableReadOnly", "opt/tallywick-2.01", false, true, false},
        FolderCase{"InstalledEvenForRootWhoMayWriteIt", "usr/bin", true, true, false},
        FolderCase{"InstalledNamedWithATrailingSlash", "usr/bin/", true, true, false},
        FolderCase{"InstalledReadOnly", "usr/bin", false, true, false},
        FolderCase{"PortableInAFolderCalledBin", "home/me/bin", true, true, true},
        FolderCase{"PortableBesideAShareFolder", "opt/tallywick-2.01", true, true, true},
        FolderCase{"NoUserFolderKnown", "usr/bin", false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
