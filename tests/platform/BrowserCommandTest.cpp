#include "platform/BrowserCommand.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include <sys/stat.h>

using platform::BrowserPathFromRegisteredCommand;
using platform::FindBrowserProgram;

struct RegisteredCase {
    const char* command;
    const char* program;
};

void PrintTo(const RegisteredCase& value, std::ostream* out)
{
    *out << testing::PrintToString(std::string(value.command));
}

class RegisteredCommand : public testing::TestWithParam<RegisteredCase> { };

TEST_P(RegisteredCommand, GivesTheLowerCasedProgramWithoutQuotes)
{
    EXPECT_EQ(BrowserPathFromRegisteredCommand(GetParam().command), GetParam().program);
}

INSTANTIATE_TEST_SUITE_P(Commands, RegisteredCommand,
    testing::Values(RegisteredCase{R"("C:\Program Files\Mozilla Firefox\FIREFOX.EXE" -osint -url "%1")",
                        R"(c:\program files\mozilla firefox\firefox.exe)"},
        RegisteredCase{R"(C:\Browser\Web.Exe.old\web.exe %1)", R"(c:\browser\web.exe)"},
        RegisteredCase{"rundll32 url.dll,FileProtocolHandler %1", ".exe"}, RegisteredCase{"", ""}));

class BrowserLookup : public testing::Test {
protected:
    std::string MakeProgram(const std::string& name)
    {
        const std::string path = folder.File(name);
        WriteWholeFile(path, "#!/bin/sh\n");
        chmod(path.c_str(), 0755);
        return path;
    }
    TempDir folder;
};

TEST_F(BrowserLookup, FirstEntryOfBrowserVariableWinsOverXdgOpen)
{
    const std::string browser = MakeProgram("mybrowser");
    MakeProgram("xdg-open");
    const std::string path = folder.Path().string();
    EXPECT_EQ(FindBrowserProgram("mybrowser:other", path.c_str()), browser);
}

TEST_F(BrowserLookup, FallsBackToXdgOpenOnPath)
{
    const std::string opener = MakeProgram("xdg-open");
    const std::string path = "/nonexistent:" + folder.Path().string();
    EXPECT_EQ(FindBrowserProgram(nullptr, path.c_str()), opener);
    EXPECT_EQ(FindBrowserProgram("missing-browser", path.c_str()), opener);
}

TEST_F(BrowserLookup, NothingWhenNeitherExists)
{
    WriteWholeFile(folder.File("xdg-open"), "not executable");
    const std::string path = folder.Path().string();
    EXPECT_EQ(FindBrowserProgram(nullptr, path.c_str()), "");
    EXPECT_EQ(FindBrowserProgram("", nullptr), "");
}

// The current folder is the user's, not a place programs are started from.
class BrowserLookupInTheCurrentFolder : public BrowserLookup, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        MakeProgram("xdg-open");
        MakeProgram("mybrowser");
        saved_ = std::filesystem::current_path();
        std::filesystem::current_path(folder.Path());
    }
    void TearDown() override { std::filesystem::current_path(saved_); }

    std::filesystem::path saved_;
};

TEST_P(BrowserLookupInTheCurrentFolder, IsNeverSearched)
{
    EXPECT_EQ(FindBrowserProgram(nullptr, GetParam()), "");
    EXPECT_EQ(FindBrowserProgram("mybrowser", GetParam()), "");
}

INSTANTIATE_TEST_SUITE_P(Paths, BrowserLookupInTheCurrentFolder,
    testing::Values(nullptr, "", ":", "/nonexistent:", ":/nonexistent", "/nonexistent::/nonexistent2", ".", "./",
        "/nonexistent:."));
