#include "news/UpdateFile.h"
#include "news/NewsFixture.h"
#include "support/TempDir.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <locale>
#include <string>

namespace {

struct VersionCase {
    const char* name;
    std::string published;
    bool newer;
};

void PrintTo(const VersionCase& value, std::ostream* out)
{
    *out << Shown(value.published);
}

class PublishedVersion : public testing::TestWithParam<VersionCase> { };

} // namespace

TEST_P(PublishedVersion, IsNewerOnlyWhenAboveTheProgramsOwn)
{
    EXPECT_EQ(IsNewerVersion(GetParam().published, "2.01"), GetParam().newer);
}

INSTANTIATE_TEST_SUITE_P(Versions, PublishedVersion,
    testing::Values(VersionCase{"Same", "2.01", false}, VersionCase{"SameWithBlanks", " 2.01 ", false},
        VersionCase{"SameAsExponent", "201e-2", false}, VersionCase{"PointOne", "2.1", true},
        VersionCase{"PointZeroTwo", "2.02", true}, VersionCase{"Ten", "10", true}, VersionCase{"Older", "1.99", false},
        VersionCase{"Empty", "", false}, VersionCase{"DecimalComma", "2,05", false},
        VersionCase{"PlusSign", "+2.5", true}, VersionCase{"Exponent", "0.3E1", true},
        VersionCase{"Negative", "-3", false}, VersionCase{"TwoPoints", "2.0.5", false},
        VersionCase{"TrailingText", "2.5b", false}, VersionCase{"Hexadecimal", "0x10", false},
        VersionCase{"Infinity", "inf", false}, VersionCase{"NotANumber", "nan", false},
        VersionCase{"OverflowsAFloat", "1e39", false}, VersionCase{"LeadingPoint", ".5e1", true},
        VersionCase{"BareExponent", "3e", false}, VersionCase{"FiveHundredDigits", std::string(500, '9'), false},
        VersionCase{"FiveHundredCharactersOfDecimals", "3." + std::string(498, '1'), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PublishedVersion, IsHeldAsAFloatAndTheOwnVersionAsADouble)
{
    EXPECT_EQ(PublishedVersionNumber("2.01"), 2.01f);
    EXPECT_EQ(OwnVersionNumber("2.01"), 2.01);
    EXPECT_LT(static_cast<double>(PublishedVersionNumber("2.01")), OwnVersionNumber("2.01"));
}

TEST(UpdateFile, GivesTheVersionOfTheApplicationSection)
{
    EXPECT_EQ(ReadPublishedVersion("[APPLICATION]\r\nName=Counter Pro\r\nVersion=2.05\r\n"), "2.05");
    EXPECT_EQ(ReadPublishedVersion("[Other]\nVersion=9\n[application]\nversion = 2.5 \n"), "2.5");
    EXPECT_EQ(ReadPublishedVersion("[APPLICATION]\nName=x\n"), "");
    EXPECT_EQ(ReadPublishedVersion("Version=9\n"), "");
    const char binary[] = "\x7F"
                          "ELF\0\0[APPLICATION]\0Version=3";
    EXPECT_EQ(ReadPublishedVersion(std::string(binary, sizeof binary - 1)), "");
}

namespace {

// A locale whose decimal separator is a comma, for the C library, C++ streams and Qt.
class DecimalCommaLocale : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string command = "localedef -i de_DE -f UTF-8 " + folder.File("de_DE.UTF-8") + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            GTEST_SKIP() << "localedef cannot build de_DE here";
        setenv("LOCPATH", folder.Path().c_str(), 1);
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
        ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
        previous_ = std::locale::global(std::locale(""));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        std::locale::global(previous_);
        QLocale::setDefault(QLocale::c());
        unsetenv("LOCPATH");
    }

    TempDir folder;
    std::locale previous_;
};

} // namespace

TEST_F(DecimalCommaLocale, ReadsVersionsWithAPointAsEverywhere)
{
    EXPECT_FALSE(IsNewerVersion("2.01", "2.01"));
    EXPECT_TRUE(IsNewerVersion("2.02", "2.01"));
    EXPECT_FALSE(IsNewerVersion("1.99", "2.01"));
    EXPECT_FALSE(IsNewerVersion("2,05", "2.01"));
    EXPECT_EQ(OwnVersionNumber("2.01"), 2.01);
}
