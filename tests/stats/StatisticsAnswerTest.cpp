#include "stats/StatisticsAnswer.h"

#include "support/CellRows.h"

#include <gtest/gtest.h>

#include <ostream>

using Outcome = StatisticsAnswer::Outcome;
using Rows = CellRows;

struct AnswerCase {
    const char* name;
    std::string answer;
    Outcome outcome;
    Rows rows;
    std::int64_t total;
};

void PrintTo(const AnswerCase& answerCase, std::ostream* out)
{
    *out << answerCase.name;
}

// Both lists read their answers the same way; the cases differ in the record layout only.
template <StatisticsAnswer (*Read)(std::string_view)> class AnswerReading : public testing::TestWithParam<AnswerCase> {
protected:
    void Check()
    {
        const StatisticsAnswer read = Read(GetParam().answer);
        EXPECT_EQ(read.outcome, GetParam().outcome);
        EXPECT_EQ(RowsOf(read.rows), GetParam().rows);
        if (GetParam().outcome == Outcome::Complete) {
            EXPECT_EQ(read.total, GetParam().total);
        }
    }
};

class PageListAnswer : public AnswerReading<ReadPageListAnswer> { };
class RefererAnswer : public AnswerReading<ReadRefererAnswer> { };

TEST_P(PageListAnswer, GivesRowsTotalAndHowFarItGot)
{
    Check();
}

TEST_P(RefererAnswer, GivesRowsTotalAndHowFarItGot)
{
    Check();
}

INSTANTIATE_TEST_SUITE_P(Answers, PageListAnswer,
    testing::Values(AnswerCase{"TwoPages", R"("17","/index.php","250"^"18","/contact.php","12"^OK)", Outcome::Complete,
                        {{"/index.php", "250", "17"}, {"/contact.php", "12", "18"}}, 262},
        AnswerCase{"OkAloneHasNoRecords", "OK", Outcome::NoRecords, {}, 0},
        AnswerCase{"EndMarkerAloneIsAnEmptyList", "^OK", Outcome::Complete, {}, 0},
        AnswerCase{"LineBreakAfterEndMarker", "\"1\",\"/a\",\"5\"^OK\r\n", Outcome::Complete, {{"/a", "5", "1"}}, 5},
        AnswerCase{
            "LineBreakBeforeFirstRecordStopsAtOnce", "\r\n\"1\",\"/a\",\"5\"^OK", Outcome::StoppedShort, {{""}}, 0},
        AnswerCase{
            "CommaInUrlShiftsFields", R"("17","/a,b.php","250"^OK)", Outcome::Complete, {{"/a", "b.php", "17"}}, 0},
        AnswerCase{"LeadingZerosAndBlanksInHits", "\"1\",\"/a\",\"007\"^\"2\",\"/b\",\" 12 \"^OK", Outcome::Complete,
            {{"/a", "007", "1"}, {"/b", "12", "2"}}, 19},
        AnswerCase{"NotANumberCountsZero", R"("1","/a","many"^"2","/b","+3"^"3","/c","-1"^"4","/d","2147483648"^OK)",
            Outcome::Complete, {{"/a", "many", "1"}, {"/b", "+3", "2"}, {"/c", "-1", "3"}, {"/d", "2147483648", "4"}},
            2},
        AnswerCase{"TotalAboveThirtyTwoBits", R"("1","/a","2147483647"^"2","/b","2147483647"^OK)", Outcome::Complete,
            {{"/a", "2147483647", "1"}, {"/b", "2147483647", "2"}}, 4294967294},
        AnswerCase{"ShortLineKeepsRowsBeforeAndItsUrl", R"("1","/a","5"^"2","/b"^"3","/c","7"^OK)",
            Outcome::StoppedShort, {{"/a", "5", "1"}, {"/b\""}}, 0},
        AnswerCase{"OneFieldLineGivesAnEmptyCaption", R"("1","/a","5"^"junk"^OK)", Outcome::StoppedShort,
            {{"/a", "5", "1"}, {""}}, 0},
        AnswerCase{"ErrorPageContainingOk", "<html>Not OK</html>", Outcome::StoppedShort, {{""}}, 0},
        AnswerCase{"BytesKeptAsSent", "\"\x01\",\"/caf\xe9\",\"1\"^OK", Outcome::Complete, {{"/caf\xe9", "1", ""}}, 1},
        // Every "^OK" goes before anything else is looked at, wherever it stands.
        AnswerCase{"EndMarkerWithinALineGoes", R"("1","/a^OKb","5"^OK)", Outcome::Complete, {{"/ab", "5", "1"}}, 5},
        AnswerCase{"EndMarkerGoneJoinsFields", R"("1"^OK,"/a","5"^OK)", Outcome::Complete, {{"/a", "5", "1"}}, 5},
        AnswerCase{"EndMarkerBetweenCrAndLfLeavesOneBreak", "\"1\",\"/a\",\"5\"\r^OK\n\"2\",\"/b\",\"6\"^OK",
            Outcome::Complete, {{"/a", "5", "1"}, {"/b", "6", "2"}}, 11},
        AnswerCase{"OkLeftByEndMarkersHasNoRecords", "^OKO^OKK^OK", Outcome::NoRecords, {}, 0},
        AnswerCase{"EndMarkersAreNotLookedForTwice", R"("1","/a","5"^O^OKK)", Outcome::StoppedShort,
            {{"/a", "5", "1"}, {""}}, 0},
        AnswerCase{"BreakBeforeTheLastEndMarkerStartsNoLine", R"("1","/a","5"^^OK)", Outcome::Complete,
            {{"/a", "5", "1"}}, 5}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Answers, RefererAnswer,
    testing::Values(AnswerCase{"EmptyKeyword", R"("5","searchsite","","1","40"^OK)", Outcome::Complete,
                        {{"searchsite", "", "No Advertising", "40", "5"}}, 40},
        AnswerCase{"OnlyExactlyOneIsNoAdvertising",
            R"("1","a","k","0","1"^"2","b","k","2","1"^"3","c","k","","1"^"4","d","k"," 1","1"^"5","e","k","1","1"^OK)",
            Outcome::Complete,
            {{"a", "k", "Advertising", "1", "1"}, {"b", "k", "Advertising", "1", "2"},
                {"c", "k", "Advertising", "1", "3"}, {"d", "k", "Advertising", "1", "4"},
                {"e", "k", "No Advertising", "1", "5"}},
            5},
        AnswerCase{"OkAlone", "OK", Outcome::NoRecords, {}, 0},
        AnswerCase{"ShortLineKeepsTheCellsItReached", R"("1","a","k","1","3"^"2","b","k2","1"^OK)",
            Outcome::StoppedShort, {{"a", "k", "No Advertising", "3", "1"}, {"b", "k2", "Advertising"}}, 0},
        AnswerCase{"ExtraFieldsIgnored", R"("1","a","k","1","3","x"^OK)", Outcome::Complete,
            {{"a", "k", "No Advertising", "3", "1"}}, 3}),
    [](const auto& info) { return std::string(info.param.name); });
