#include "shell/UUtils.h"
#include "support/FakeLauncher.h"

#include <gtest/gtest.h>

#include <ostream>

struct SplitCase {
    std::string text;
    std::vector<std::string> fields;
};

void PrintTo(const SplitCase& value, std::ostream* out)
{
    *out << testing::PrintToString(value.text);
}

class Split : public testing::TestWithParam<SplitCase> { };

TEST_P(Split, KeepsEmptyFieldsExceptALastOne)
{
    std::vector<std::string> fields{"left", "over"};
    SplitFields('^', GetParam().text, fields);
    EXPECT_EQ(fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(Texts, Split,
    testing::Values(SplitCase{"a^^b", {"a", "", "b"}}, SplitCase{"^a", {"", "a"}}, SplitCase{"a^", {"a"}},
        SplitCase{"a^^", {"a", ""}}, SplitCase{"^", {""}}, SplitCase{"", {}},
        SplitCase{std::string("x\0^\xff", 4), {std::string("x\0", 2), "\xff"}}));

struct DecodeCase {
    std::string text;
    std::string decoded;
};

void PrintTo(const DecodeCase& value, std::ostream* out)
{
    *out << testing::PrintToString(value.text);
}

class Decode : public testing::TestWithParam<DecodeCase> { };

TEST_P(Decode, DecodesCompleteEscapesOnly)
{
    EXPECT_EQ(DecodeHexEscapes(GetParam().text), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(Texts, Decode,
    testing::Values(DecodeCase{"$41", "A"}, DecodeCase{"$4a$4A", "JJ"}, DecodeCase{"$0D$0A", "\r\n"},
        DecodeCase{"ab$4", std::string("ab\x04")}, DecodeCase{"$24", "$"},
        DecodeCase{"<p>\xe9\xff</p>", "<p>\xe9\xff</p>"}, DecodeCase{"price $", ""}, DecodeCase{"$4G", ""},
        DecodeCase{"$$41", ""}, DecodeCase{"ok $ 1", ""}, DecodeCase{"", ""}));

TEST(OpenUrl, StartsTheBrowserWithTheAddressAsItsOnlyArgument)
{
    FakeLauncher launcher;
    EXPECT_TRUE(OpenUrl("http://site/help", launcher));
    EXPECT_TRUE(OpenUrl("", launcher));
    const std::vector<std::pair<std::string, std::string>> expected{
        {"/usr/bin/browser", "http://site/help"}, {"/usr/bin/browser", ""}};
    EXPECT_EQ(launcher.started, expected);
}

TEST(OpenUrl, FalseAndNothingStartedWithoutABrowser)
{
    FakeLauncher launcher("");
    EXPECT_FALSE(OpenUrl("http://site/help", launcher));
    EXPECT_TRUE(launcher.started.empty());
}
