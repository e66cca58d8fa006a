#include "text/IniText.h"

#include <gtest/gtest.h>

#include <ostream>

struct ReadCase {
    const char* name;
    std::string text;
    std::string value; // of key "spassword" in section "Settings"
};

void PrintTo(const ReadCase& value, std::ostream* out)
{
    *out << value.name;
}

class IniRead : public testing::TestWithParam<ReadCase> { };

TEST_P(IniRead, FollowsTheReadingRules)
{
    EXPECT_EQ(ReadIniValue(GetParam().text, "Settings", "spassword"), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Files, IniRead,
    testing::Values(ReadCase{"Plain", "[Settings]\r\nspassword=secret\r\n", "secret"},
        ReadCase{"BlanksTrimmed", "[Settings]\r\nspassword =  \t secret word \t\r\n", "secret word"},
        ReadCase{"DoubleQuotes", "[Settings]\r\nspassword=\" padded \"\r\n", " padded "},
        ReadCase{"SingleQuotes", "[Settings]\nspassword='x'\n", "x"},
        ReadCase{"OnlyOnePairOfQuotes", "[Settings]\rspassword=\"\"x\"\"\r", "\"x\""},
        ReadCase{"MixedQuotesStay", "[Settings]\r\nspassword=\"x'\r\n", "\"x'"},
        ReadCase{"NamesIgnoreCase", "[SETTINGS]\r\nSPassword=y\r\n", "y"},
        ReadCase{"OtherSectionIgnored", "[Other]\r\nspassword=no\r\n[Settings]\r\nspassword=yes\r\n", "yes"},
        ReadCase{"FirstSectionOfTheName", "[Settings]\r\nspassword=1\r\n[Settings]\r\nspassword=2\r\n", "1"},
        ReadCase{"KeyOutsideAnySection", "spassword=loose\r\n[Settings]\r\n", ""},
        ReadCase{"NoSectionAtAll", "spassword=loose\r\n", ""},
        ReadCase{"LineWithoutEquals", "[Settings]\r\nspassword\r\nspassword=z\r\n", "z"},
        ReadCase{"EqualsInsideValue", "[Settings]\r\nspassword=a=b\r\n", "a=b"},
        ReadCase{"EmptyValue", "[Settings]\r\nspassword=\r\n", ""},
        ReadCase{
            "NotText", std::string("\0\xff\r\n[Settings]\r\nspassword=\0x\xfe\r\n", 31), std::string("\0x\xfe", 3)},
        ReadCase{"LongValueCut", "[Settings]\r\nspassword=" + std::string(5000, 'q') + "\r\n", std::string(2047, 'q')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniWrite, NewFileHoldsTheSectionAndTheKeysInTheOrderWritten)
{
    std::string text = WriteIniValue("", "Settings", "swebserver", "http://a");
    text = WriteIniValue(text, "Settings", "shostname", "h");
    EXPECT_EQ(text, "[Settings]\r\nswebserver=http://a\r\nshostname=h\r\n");
}

TEST(IniWrite, ReplacesInPlaceAndKeepsForeignLinesAndKeys)
{
    const std::string before = "; my notes\n[Other]\nx=1\n[settings]\nextra = kept\nSHOSTNAME=old\n\n[Tail]\ny=2";
    const std::string after
        = WriteIniValue(WriteIniValue(before, "Settings", "shostname", "new"), "Settings", "spassword", "p");
    EXPECT_EQ(after,
        "; my notes\r\n[Other]\r\nx=1\r\n[settings]\r\nextra = kept\r\nshostname=new\r\nspassword=p\r\n\r\n"
        "[Tail]\r\ny=2\r\n");
}

TEST(IniWrite, LineBreaksInAValueCannotStartANewEntry)
{
    const std::string text = WriteIniValue("", "Settings", "spassword", "a\r\nsusername=evil\nb");
    EXPECT_EQ(text, "[Settings]\r\nspassword=asusername=evilb\r\n");
    EXPECT_EQ(ReadIniValue(text, "Settings", "susername"), "");
}
