#include "site/SettingsFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <sys/stat.h>

namespace {

const ServerSettings kSettings{"http://site/c", "localhost", "counter", "owner", "pw"};

// What PHP itself makes of the generated file: each variable on its own line.
std::string PhpValues(const std::string& configPath)
{
    const std::string command = "php -r 'include \"" + configPath
        + "\"; echo bin2hex($hostname), \"\\n\", bin2hex($database), \"\\n\", bin2hex($username), "
          "\"\\n\", bin2hex($password);' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[512];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    if (pipe)
        pclose(pipe);
    return output;
}

std::string Hex(const std::string& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes)
        hex += {digits[c >> 4], digits[c & 15]};
    return hex;
}

} // namespace

TEST(ConfigPhp, IsSixCrLfLines)
{
    EXPECT_EQ(MakeConfigPhp(kSettings),
        "<?php\r\n"
        "  $hostname=\"localhost\";\r\n"
        "  $database=\"counter\";\r\n"
        "  $username=\"owner\";\r\n"
        "  $password=\"pw\";\r\n"
        "?>\r\n");
}

TEST(ConfigPhp, EveryValueReachesPhpExactlyAsTyped)
{
    if (std::system("php -v > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "php is not installed";
    TempDir folder;
    const ServerSettings tricky{"", "h\\\\ost'", "{$db}", "us\"er", "a\"b$c\\d\r\n\xc3\xa9 ?>"};
    SaveServerSettingsFiles(folder.Path().string(), tricky);
    EXPECT_EQ(PhpValues(folder.File("config.php")),
        Hex(tricky.hostname) + "\n" + Hex(tricky.database) + "\n" + Hex(tricky.username) + "\n" + Hex(tricky.password));
}

TEST(SettingsFiles, MissingFileGivesNothingAndAMissingKeyReadsEmpty)
{
    TempDir folder;
    EXPECT_FALSE(LoadServerSettingsFile(folder.Path().string()));
    WriteWholeFile(folder.File("hsettings.dat"), "[Settings]\r\nswebserver=  http://x  \r\nsdatabase=\"db\"\r\n");
    const auto settings = LoadServerSettingsFile(folder.Path().string());
    ASSERT_TRUE(settings);
    EXPECT_EQ(*settings, (ServerSettings{"http://x", "", "db", "", ""}));
}

TEST(SettingsFiles, SavingKeepsForeignLinesAndNewFilesArePrivate)
{
    TempDir folder;
    SaveServerSettingsFiles(folder.Path().string(), kSettings);
    for (const char* name : {"hsettings.dat", "config.php"}) {
        struct stat info { };
        stat(folder.File(name).c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << name;
    }

    WriteWholeFile(folder.File("hsettings.dat"), "[Settings]\r\nsusername=old\r\nlanguage=en\r\n[Window]\r\nx=5\r\n");
    SaveServerSettingsFiles(folder.Path().string(), kSettings);
    EXPECT_EQ(ReadWholeFile(folder.File("hsettings.dat")),
        "[Settings]\r\nsusername=owner\r\nlanguage=en\r\nswebserver=http://site/c\r\nshostname=localhost\r\n"
        "sdatabase=counter\r\nspassword=pw\r\n[Window]\r\nx=5\r\n");
}

TEST(SettingsFiles, ExistingFilesKeepTheirMode)
{
    TempDir folder;
    for (const char* name : {"hsettings.dat", "config.php"}) {
        WriteWholeFile(folder.File(name), "");
        chmod(folder.File(name).c_str(), 0640);
    }
    SaveServerSettingsFiles(folder.Path().string(), kSettings);
    for (const char* name : {"hsettings.dat", "config.php"}) {
        struct stat info { };
        stat(folder.File(name).c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0640u) << name;
    }
    EXPECT_EQ(ReadWholeFile(folder.File("config.php")), MakeConfigPhp(kSettings));
}

struct UnwritableCase {
    const char* name;
    const char* blocked; // the file that cannot be written
    bool folderInTheWay; // else the file is there, without its owner's write permission
};

void PrintTo(const UnwritableCase& c, std::ostream* out)
{
    *out << c.name;
}

class UnwritableSettingsTest : public testing::TestWithParam<UnwritableCase> { };

TEST_P(UnwritableSettingsTest, NamesTheFileAndWritesNothingAfterIt)
{
    TempDir folder;
    const std::string blocked = folder.File(GetParam().blocked);
    const std::string original = "[Settings]\r\nswebserver=protected\r\n";
    if (GetParam().folderInTheWay) {
        std::filesystem::create_directory(blocked);
    } else {
        WriteWholeFile(blocked, original);
        chmod(blocked.c_str(), 0444);
    }
    try {
        SaveServerSettingsFiles(folder.Path().string(), kSettings);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + blocked);
    }
    if (!GetParam().folderInTheWay) {
        EXPECT_EQ(ReadWholeFile(blocked), original);
    }
    if (std::string(GetParam().blocked) == "hsettings.dat") {
        EXPECT_FALSE(std::filesystem::exists(folder.File("config.php")));
    } else {
        EXPECT_EQ(ReadServerSettingsText(ReadWholeFile(folder.File("hsettings.dat"))), kSettings);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, UnwritableSettingsTest,
    testing::Values(UnwritableCase{"FolderInPlaceOfTheSettings", "hsettings.dat", true},
        UnwritableCase{"ReadOnlySettings", "hsettings.dat", false},
        UnwritableCase{"ReadOnlyConfig", "config.php", false}),
    [](const auto& info) { return std::string(info.param.name); });
