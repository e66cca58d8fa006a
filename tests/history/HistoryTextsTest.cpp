#include "history/HistoryTexts.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

struct SummaryCase {
    HistoryRange range;
    std::int64_t hits;
    std::optional<std::int64_t> previous;
    const char* expected;
};

class Summary : public testing::TestWithParam<SummaryCase> { };

TEST_P(Summary, SaysTheTotalAndItsChangeInWords)
{
    EXPECT_EQ(HistorySummary(GetParam().range, GetParam().hits, GetParam().previous, kEnglish).toStdString(),
        GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Summary,
    testing::Values(SummaryCase{HistoryRange::Last30Days, 4210, 3759,
                        "4,210 hits in the last 30 days, 12% more than the 30 days before"},
        SummaryCase{HistoryRange::Last7Days, 88, 100, "88 hits in the last 7 days, 12% fewer than the 7 days before"},
        SummaryCase{HistoryRange::Last24Hours, 1, 1, "1 hit in the last 24 hours, as many as the 24 hours before"},
        SummaryCase{HistoryRange::Last90Days, 1001, 1000,
            "1,001 hits in the last 90 days, less than 1% more than the 90 days before"},
        SummaryCase{
            HistoryRange::Last12Months, 0, 5, "0 hits in the last 12 months, 100% fewer than the 12 months before"},
        SummaryCase{
            HistoryRange::Last30Days, 3000, 1, "3,000 hits in the last 30 days, 299,900% more than the 30 days before"},
        // Half a percent rounds up to one.
        SummaryCase{HistoryRange::Last7Days, 201, 200, "201 hits in the last 7 days, 1% more than the 7 days before"},
        // No percentage of nothing, and none when there is no period before.
        SummaryCase{HistoryRange::Last30Days, 4210, 0, "4,210 hits in the last 30 days"},
        SummaryCase{HistoryRange::SinceTheHistoryBegan, 52000, std::nullopt, "52,000 hits since the history began"},
        SummaryCase{HistoryRange::Last30Days, INT64_MAX, INT64_MAX,
            "9,223,372,036,854,775,807 hits in the last 30 days, as many as the 30 days before"}));

TEST(HistoryTexts, TheShortDateLosesItsYearWhereverTheLocalePutsIt)
{
    EXPECT_EQ(DayAndMonthFormat(kEnglish), "M/d");
    EXPECT_EQ(DayAndMonthFormat(QLocale(QLocale::German, QLocale::Germany)), "dd.MM");
    for (const QLocale& locale :
        {QLocale(QLocale::Swedish, QLocale::Sweden), QLocale(QLocale::Japanese, QLocale::Japan),
            QLocale(QLocale::Hungarian, QLocale::Hungary), QLocale(QLocale::French, QLocale::France)}) {
        const QString format = DayAndMonthFormat(locale);
        EXPECT_FALSE(format.contains(QLatin1Char('y'))) << format.toStdString();
        EXPECT_TRUE(format.contains(QLatin1Char('d')) && format.contains(QLatin1Char('M'))) << format.toStdString();
        EXPECT_TRUE(format.front().isLetter() || format.front() == QLatin1Char('\'')) << format.toStdString();
    }
}

TEST(HistoryTexts, BarsAreNamedInTheLocaleAndInIsoForFiles)
{
    const QTimeZone zone("Europe/Berlin");
    const std::int64_t day = QDateTime(QDate(2025, 3, 30), QTime(0, 0), zone).toSecsSinceEpoch();
    const BarTexts dayTexts = TextsOfBar(BarUnit::Day, day, zone, kEnglish, false);
    EXPECT_EQ(dayTexts.axis, "3/30");
    EXPECT_EQ(dayTexts.period, "Sun 3/30/25");
    EXPECT_EQ(dayTexts.iso, "2025-03-30");

    // 3:00 in Berlin on the morning the clocks went forward, with its offset for files.
    const BarTexts hourTexts = TextsOfBar(BarUnit::Hour, day + 2 * 3600, zone, kEnglish, false);
    EXPECT_EQ(hourTexts.iso, "2025-03-30T03:00:00+02:00");
    EXPECT_TRUE(hourTexts.period.startsWith("3/30/25 3:00")) << hourTexts.period.toStdString();

    const std::int64_t march = QDateTime(QDate(2025, 3, 1), QTime(0, 0), zone).toSecsSinceEpoch();
    const std::int64_t january = QDateTime(QDate(2025, 1, 1), QTime(0, 0), zone).toSecsSinceEpoch();
    EXPECT_EQ(TextsOfBar(BarUnit::Month, march, zone, kEnglish, false).axis, "Mar");
    EXPECT_EQ(TextsOfBar(BarUnit::Month, march, zone, kEnglish, true).axis, "Mar 2025");
    EXPECT_EQ(TextsOfBar(BarUnit::Month, january, zone, kEnglish, false).axis, "Jan 2025");
    EXPECT_EQ(TextsOfBar(BarUnit::Month, march, zone, kEnglish, false).period, "March 2025");
    EXPECT_EQ(TextsOfBar(BarUnit::Month, march, zone, kEnglish, false).iso, "2025-03");
    EXPECT_EQ(TextsOfBar(BarUnit::Month, march, zone, QLocale(QLocale::German, QLocale::Germany), false).period,
        "M\u00e4rz 2025");
}

} // namespace
