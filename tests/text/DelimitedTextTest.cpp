#include "text/DelimitedText.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct QuotingCase {
    std::string value;
    std::string csv; // the value as a CSV field
    std::string tab; // the value as a tab-separated field
};

class Quoting : public testing::TestWithParam<QuotingCase> { };

std::string CsvOf(const std::vector<std::string_view>& values)
{
    std::string out;
    AppendCsvRecord(out, values);
    return out;
}

std::string TabOf(const std::vector<std::string_view>& values)
{
    std::string out;
    AppendTabRecord(out, values);
    return out;
}

} // namespace

// Each separator is quoted only where it would split: a comma in CSV, a tab between tabs.
TEST_P(Quoting, OnlyWhatWouldSplitTheRecordIsQuoted)
{
    const QuotingCase& c = GetParam();
    EXPECT_EQ(CsvOf({c.value, "x"}), c.csv + ",x\r\n");
    EXPECT_EQ(TabOf({c.value, "x"}), c.tab + "\tx\n");
}

INSTANTIATE_TEST_SUITE_P(Values, Quoting,
    testing::Values(QuotingCase{"/index.php", "/index.php", "/index.php"}, //
        QuotingCase{"", "", ""}, //
        QuotingCase{"a,b", "\"a,b\"", "a,b"}, //
        QuotingCase{"a\tb", "a\tb", "\"a\tb\""}, //
        QuotingCase{"say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\""}, //
        QuotingCase{"two\r\nlines", "\"two\r\nlines\"", "\"two\r\nlines\""}, //
        QuotingCase{"lone\rcr", "\"lone\rcr\"", "\"lone\rcr\""}, //
        QuotingCase{"lone\nlf", "\"lone\nlf\"", "\"lone\nlf\""}, //
        QuotingCase{" blank ", " blank ", " blank "}, //
        QuotingCase{"caf\xc3\xa9", "caf\xc3\xa9", "caf\xc3\xa9"}));
