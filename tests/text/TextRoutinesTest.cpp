#include "text/TextRoutines.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace std::string_literals;

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

TEST_P(Split, GivesTheSameFieldsAsViews)
{
    std::vector<std::string_view> fields{"left", "over"};
    SplitFields('^', GetParam().text, fields);
    EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.end()), GetParam().fields);
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

struct LinesCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

class SplitLinesTest : public testing::TestWithParam<LinesCase> { };

TEST_P(SplitLinesTest, SplitsAtEveryKindOfBreak)
{
    const LinesCase& c = GetParam();
    EXPECT_EQ(SplitLines(c.bytes), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitLinesTest,
    testing::Values(LinesCase{"Empty", "", {}}, LinesCase{"NoBreak", "a", {"a"}},
        LinesCase{"FinalBreakStartsNoLine", "a\r\n", {"a"}}, LinesCase{"OnlyABreak", "\r\n", {""}},
        LinesCase{"Lf", "a\nb\n\n", {"a", "b", ""}}, LinesCase{"Cr", "a\rb", {"a", "b"}},
        LinesCase{"TwoCrsAreTwoBreaks", "a\r\rb", {"a", "", "b"}},
        LinesCase{"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
        LinesCase{"NulAndHighBytesKept", "a\0b\xff\r\n\0"s, {"a\0b\xff"s, "\0"s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JoinLinesTest, EndsEveryLineWithCrLf)
{
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({"a", "", "b\0"s}), "a\r\n\r\nb\0\r\n"s);
}

struct CaseFoldCase {
    const char* name;
    std::string text;
    std::string what;
    std::size_t from;
    std::size_t found;
};

class FindIgnoringCaseTest : public testing::TestWithParam<CaseFoldCase> { };

TEST_P(FindIgnoringCaseTest, FoldsOnlyAsciiLetters)
{
    const CaseFoldCase& c = GetParam();
    EXPECT_EQ(FindIgnoringCase(c.text, c.what, c.from), c.found);
}

INSTANTIATE_TEST_SUITE_P(Texts, FindIgnoringCaseTest,
    testing::Values(CaseFoldCase{"SameCase", "a<%%Key%%>", "<%%Key%%>", 0, 1},
        CaseFoldCase{"OtherCase", "a<%%kEY%%>", "<%%KEY%%>", 0, 1},
        CaseFoldCase{"FirstOccurrenceFromStart", "XxX", "x", 1, 1},
        CaseFoldCase{"NotFound", "abc", "abd", 0, std::string::npos},
        CaseFoldCase{"HighBytesNotFolded", "\xe9", "\xc9", 0, std::string::npos},
        CaseFoldCase{"PastTheEnd", "abc", "a", 4, std::string::npos},
        CaseFoldCase{"LongerThanText", "ab", "abc", 0, std::string::npos}),
    [](const auto& info) { return std::string(info.param.name); });

struct IntegerCase {
    const char* name;
    std::string text;
    std::int32_t value;
};

class Int32OrZeroTest : public testing::TestWithParam<IntegerCase> { };

TEST_P(Int32OrZeroTest, ReadsOnlyAWholeDecimalNumber)
{
    EXPECT_EQ(Int32OrZero(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, Int32OrZeroTest,
    testing::Values(IntegerCase{"Plain", "42", 42}, IntegerCase{"LeadingZeros", "007", 7}, IntegerCase{"Plus", "+3", 3},
        IntegerCase{"Minus", "-5", -5}, IntegerCase{"PlusAlone", "+", 0}, IntegerCase{"PlusMinus", "+-3", 0},
        IntegerCase{"Empty", "", 0}, IntegerCase{"Blank", " 4", 0}, IntegerCase{"Trailing", "4a", 0},
        IntegerCase{"Largest", "2147483647", 2147483647}, IntegerCase{"Overflow", "2147483648", 0},
        IntegerCase{"Smallest", "-2147483648", INT32_MIN}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrimControlsTest, RemovesEveryByteUpTo32AtBothEnds)
{
    EXPECT_EQ(TrimControls("\0\t\r\n a b \x01\x20"s), "a b");
    EXPECT_EQ(TrimControls("\x7f\xa0"), "\x7f\xa0");
    EXPECT_EQ(TrimControls(" \r\n"), "");
}

TEST(ReplaceAllTest, ReplacesLeftToRightWithoutRescanning)
{
    struct Case {
        std::string text, from, to, replaced;
    };
    for (const Case& c : std::vector<Case>{{"a^b^^OK", "^OK", "", "a^b^"}, {"\",\",\"", "\",\"", ",", ",,\""},
             {"aaa", "aa", "a", "aa"}, {"^OK^OK", "^OK", "", ""}, {"x\0^OKy"s, "^OK", "", "x\0y"s},
             {"abab", "ab", "xy", "xyxy"}, {"none", "^", "", "none"}, {"", "^", "", ""}}) {
        EXPECT_EQ(ReplaceAll(c.text, c.from, c.to), c.replaced) << c.text;
        std::string inPlace = c.text;
        ReplaceAllInPlace(inPlace, c.from, c.to);
        EXPECT_EQ(inPlace, c.replaced) << c.text;
    }
    std::string text = "a^b";
    EXPECT_THROW(ReplaceAllInPlace(text, "^", "\r\n"), std::invalid_argument);
    EXPECT_EQ(ReplaceAll(text, "^", "\r\n"), "a\r\nb");
}

class LinesAlsoBrokenAtTest : public testing::TestWithParam<std::string> { };

// The walk stands for replacing the extra break by CR LF and walking the lines of that.
TEST_P(LinesAlsoBrokenAtTest, GivesTheLinesOfTheTextWithTheBreakAsCrLf)
{
    std::vector<std::string> lines;
    ForEachLineAlsoBrokenAt('^', GetParam(), [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(lines, SplitLines(ReplaceAll(GetParam(), "^", "\r\n")));
}

INSTANTIATE_TEST_SUITE_P(Texts, LinesAlsoBrokenAtTest,
    testing::Values("", "a", "a^b", "a^", "^", "^^", "^a", "a\r^b", "a^\nb", "a\r\n^\r\nb", "a\n^\rb", "\r^\n", "a^^b^",
        "x\0^\xff"s));

TEST(BrowserAddresses, OnlyWebAndMailAddressesGoToTheBrowser)
{
    struct Case {
        const char* text;
        bool web;
        bool webOrMail;
    };
    const Case cases[] = {
        {"http://reseller.example/offer", true, true},
        {"HTTPS://reseller.example/", true, true},
        {"mailto:sales@reseller.example", false, true},
        {"MailTo:sales@reseller.example", false, true},
        {"file:///etc/passwd", false, false},
        {"smb://attacker.example/share", false, false},
        {"javascript:alert(1)", false, false},
        {"ftp://reseller.example/", false, false},
        {"httpx://reseller.example/", false, false},
        {"http:/site", false, false},
        {" http://site", false, false},
        {"search http://site", false, false},
        {"--new-window", false, false},
        {"offer.html", false, false},
        {"", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsWebAddress(c.text), c.web) << c.text;
        EXPECT_EQ(IsWebOrMailAddress(c.text), c.webOrMail) << c.text;
    }
}
