#include "history/HistoryAnswer.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
// Four hours from 2025-03-31T00:00Z.
constexpr HourSpan kSpan{1743379200, 1743379200 + 3 * kHour};

std::string Hour(int index)
{
    return std::to_string(kSpan.fromHour + index * kHour);
}

struct AnswerCase {
    const char* name;
    std::string answer;
    std::vector<std::int64_t> hits; // per hour of kSpan
};

void PrintTo(const AnswerCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReadAnswer : public testing::TestWithParam<AnswerCase> { };

TEST_P(ReadAnswer, AddsWhatParsesInsideTheSpanAndPassesOverTheRest)
{
    const HourlyHits read = ReadHistoryAnswer(GetParam().answer, kSpan);
    EXPECT_TRUE(read.kept);
    EXPECT_EQ(read.span, kSpan);
    EXPECT_EQ(read.hits, GetParam().hits);
}

INSTANTIATE_TEST_SUITE_P(Answers, ReadAnswer,
    testing::Values(AnswerCase{"NoHours", "OK", {0, 0, 0, 0}},
        AnswerCase{"InOrder", "\"" + Hour(0) + "\",\"5\"^\"" + Hour(2) + "\",\"7\"^OK", {5, 0, 7, 0}},
        AnswerCase{"Unsorted", "\"" + Hour(3) + "\",\"1\"^\"" + Hour(0) + "\",\"2\"^OK", {2, 0, 0, 1}},
        AnswerCase{"DuplicatesAddUp", "\"" + Hour(1) + "\",\"4\"^\"" + Hour(1) + "\",\"6\"^OK", {0, 10, 0, 0}},
        AnswerCase{"OutsideTheSpan",
            "\"" + std::to_string(kSpan.fromHour - kHour) + "\",\"9\"^\"" + std::to_string(kSpan.toHour + kHour)
                + "\",\"9\"^\"" + Hour(3) + "\",\"1\"^OK",
            {0, 0, 0, 1}},
        AnswerCase{"NotOnTheHour",
            "\"" + std::to_string(kSpan.fromHour + 1800) + "\",\"9\"^\"" + Hour(0) + "\",\"1\"^OK", {1, 0, 0, 0}},
        AnswerCase{"NegativeOrSignedOrBroken",
            "\"" + Hour(0) + "\",\"-5\"^\"" + Hour(1) + "\",\"+5\"^\"" + Hour(2) + "\",\"5x\"^\"" + Hour(3)
                + "\",\"\"^\"-" + Hour(0) + "\",\"1\"^OK",
            {0, 0, 0, 0}},
        AnswerCase{"TooFewOrTooManyValues",
            "\"" + Hour(0) + "\"^\"" + Hour(1) + "\",\"2\",\"3\"^\"" + Hour(2) + "\",\"3\"^OK", {0, 0, 3, 0}},
        AnswerCase{"CountBeyondInt64",
            "\"" + Hour(0) + "\",\"9223372036854775808\"^\"" + Hour(1) + "\",\"99999999999999999999999\"^OK",
            {0, 0, 0, 0}},
        AnswerCase{"SumsSaturate",
            "\"" + Hour(0) + "\",\"9223372036854775807\"^\"" + Hour(0) + "\",\"9223372036854775807\"^\"" + Hour(0)
                + "\",\"1\"^OK",
            {kLargest, 0, 0, 0}},
        AnswerCase{"BlanksAndMissingQuotes", " \"" + Hour(0) + "\" , 3 ^" + Hour(1) + ",\" 4 \"^OK\r\n", {3, 4, 0, 0}},
        AnswerCase{"LeadingZeros", "\"0" + Hour(0) + "\",\"007\"^OK", {7, 0, 0, 0}},
        AnswerCase{"OkAnywhere", "OK^\"" + Hour(0) + "\",\"1\"", {1, 0, 0, 0}},
        AnswerCase{"EmptyRecords", "^^\"" + Hour(1) + "\",\"2\"^^^OK^", {0, 2, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST(HistoryAnswer, AnAnswerWithoutOkIsACounterThatKeepsNoHistory)
{
    for (const char* answer : {"", "BADREQUEST", "BAD", "<html>Not here</html>", "ok", "\"1743379200\",\"5\""}) {
        const HourlyHits read = ReadHistoryAnswer(answer, kSpan);
        EXPECT_FALSE(read.kept) << answer;
        EXPECT_TRUE(read.hits.empty()) << answer;
    }
}

TEST(HistoryAnswer, ASpanTheCounterWouldRefuseReadsNoHours)
{
    const std::string answer = "\"" + Hour(0) + "\",\"5\"^OK";
    for (HourSpan span : {HourSpan{kSpan.fromHour + 1, kSpan.toHour}, HourSpan{kSpan.toHour, kSpan.fromHour},
             HourSpan{kSpan.fromHour, kSpan.fromHour + kMaxHistoryHours * kHour}}) {
        EXPECT_FALSE(IsValidSpan(span));
        EXPECT_TRUE(ReadHistoryAnswer(answer, span).hits.empty());
    }
    const HourSpan longest{kSpan.fromHour, kSpan.fromHour + (kMaxHistoryHours - 1) * kHour};
    EXPECT_TRUE(IsValidSpan(longest));
    EXPECT_EQ(ReadHistoryAnswer(answer, longest).hits.size(), static_cast<std::size_t>(kMaxHistoryHours));
}
