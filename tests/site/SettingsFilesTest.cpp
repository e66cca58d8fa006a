#include "site/SettingsFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
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

TEST(SettingsFiles, SavingKeepsForeignLinesAndANewFileIsPrivate)
{
    TempDir folder;
    SaveServerSettingsFiles(folder.Path().string(), kSettings);
    struct stat info { };
    stat(folder.File("hsettings.dat").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    WriteWholeFile(folder.File("hsettings.dat"), "[Settings]\r\nsusername=old\r\nlanguage=en\r\n[Window]\r\nx=5\r\n");
    SaveServerSettingsFiles(folder.Path().string(), kSettings);
    EXPECT_EQ(ReadWholeFile(folder.File("hsettings.dat")),
        "[Settings]\r\nsusername=owner\r\nlanguage=en\r\nswebserver=http://site/c\r\nshostname=localhost\r\n"
        "sdatabase=counter\r\nspassword=pw\r\n[Window]\r\nx=5\r\n");
}

TEST(SettingsFiles, ConfigIsNotWrittenWhenTheSettingsFileCannotBe)
{
    TempDir folder;
    std::filesystem::create_directory(folder.File("hsettings.dat")); // a folder in the way
    try {
        SaveServerSettingsFiles(folder.Path().string(), kSettings);
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + folder.File("hsettings.dat"));
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("config.php")));
}
