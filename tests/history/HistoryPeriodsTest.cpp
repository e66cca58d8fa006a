#include "history/HistoryPeriods.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <numeric>

namespace {

constexpr std::int64_t kHour = 3600;

std::int64_t At(int year, int month, int day, int hour, const QTimeZone& zone)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0), zone).toSecsSinceEpoch();
}

// One hit in every hour of the span.
HourlyHits OneHitAnHour(HourSpan span)
{
    return {
        .kept = true, .span = span, .hits = std::vector<std::int64_t>(static_cast<std::size_t>(HourCount(span)), 1)};
}

struct DaylightCase {
    const char* name;
    const char* zone;
    QDate now; // noon of this local day
    QDate changeDay;
    std::int64_t changeDayHours;
};

void PrintTo(const DaylightCase& c, std::ostream* out)
{
    *out << c.name;
}

class LocalDays : public testing::TestWithParam<DaylightCase> { };

// Days are local: the day of a daylight-saving change holds the hours it really had, and
// every bar starts at a local midnight.
TEST_P(LocalDays, ADayOfADaylightSavingChangeHoldsItsOwnHours)
{
    const QTimeZone zone(GetParam().zone);
    ASSERT_TRUE(zone.isValid());
    const QDate today = GetParam().now;
    const std::int64_t now = At(today.year(), today.month(), today.day(), 12, zone);
    const HourSpan span = RequestSpan(HistoryRange::Last7Days, now, zone);
    // The range and the week before it, from a local midnight to this hour.
    EXPECT_EQ(
        span.fromHour, At(today.addDays(-13).year(), today.addDays(-13).month(), today.addDays(-13).day(), 0, zone));
    EXPECT_EQ(span.toHour, now);

    const HistoryBars bars = MakeBars(HistoryRange::Last7Days, now, zone);
    ASSERT_EQ(bars.Count(), 14);
    EXPECT_EQ(bars.previousCount, 7);
    for (int bar = 0; bar <= bars.Count(); ++bar) {
        const QDateTime start = QDateTime::fromSecsSinceEpoch(bars.bounds[static_cast<std::size_t>(bar)], zone);
        EXPECT_EQ(start.date(), today.addDays(bar - 13));
        EXPECT_EQ(start.time(), QTime(0, 0));
    }

    const std::vector<std::int64_t> sums = AddUpHours(OneHitAnHour(span), bars.bounds);
    for (int bar = 0; bar < 13; ++bar) {
        const QDate day = today.addDays(bar - 13);
        EXPECT_EQ(sums[static_cast<std::size_t>(bar)], day == GetParam().changeDay ? GetParam().changeDayHours : 24)
            << day.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(sums.back(), 13); // today up to and with the hour from noon
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalDays,
    testing::Values(DaylightCase{"BerlinSpring", "Europe/Berlin", QDate(2025, 4, 2), QDate(2025, 3, 30), 23},
        DaylightCase{"BerlinAutumn", "Europe/Berlin", QDate(2025, 10, 29), QDate(2025, 10, 26), 25},
        DaylightCase{"NewYorkSpring", "America/New_York", QDate(2025, 3, 12), QDate(2025, 3, 9), 23},
        DaylightCase{"SydneyAutumn", "Australia/Sydney", QDate(2025, 4, 8), QDate(2025, 4, 6), 25}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST(HistoryPeriods, HourBarsAreTheLast24HoursAndThe24BeforeThem)
{
    const QTimeZone zone("Asia/Kolkata");
    const std::int64_t now = 1743417000; // 2025-03-31T10:30Z
    EXPECT_EQ(RequestSpan(HistoryRange::Last24Hours, now, zone), (HourSpan{1743415200 - 47 * kHour, 1743415200}));
    const HistoryBars bars = MakeBars(HistoryRange::Last24Hours, now, zone);
    EXPECT_EQ(bars.unit, BarUnit::Hour);
    ASSERT_EQ(bars.Count(), 48);
    EXPECT_EQ(bars.bounds.front(), 1743415200 - 47 * kHour);
    EXPECT_EQ(bars.bounds.back(), 1743415200 + kHour);
}

TEST(HistoryPeriods, AnHourGoesToTheLocalDayItStartsIn)
{
    // India is five and a half hours ahead: the UTC hour from 18:00 is 23:30 to 0:30 there.
    const QTimeZone zone("Asia/Kolkata");
    const std::int64_t now = At(2025, 3, 31, 12, zone);
    const HistoryBars bars = MakeBars(HistoryRange::Last7Days, now, zone);
    const HourSpan span = RequestSpan(HistoryRange::Last7Days, now, zone);
    EXPECT_EQ(span.fromHour, At(2025, 3, 18, 0, zone) + 1800);
    HourlyHits hours{.kept = true, .span = span, .hits = std::vector<std::int64_t>(HourCount(span), 0)};
    const std::int64_t lateOnThe29th = QDateTime(QDate(2025, 3, 29), QTime(23, 30), zone).toSecsSinceEpoch();
    hours.hits[static_cast<std::size_t>((lateOnThe29th - span.fromHour) / kHour)] = 5;
    const std::vector<std::int64_t> sums = AddUpHours(hours, bars.bounds);
    EXPECT_EQ(sums[11], 5); // the 29th is the twelfth of the fourteen days from the 18th
    EXPECT_EQ(std::accumulate(sums.begin(), sums.end(), std::int64_t{0}), 5);
}

TEST(HistoryPeriods, MonthsRunFromLocalFirstsAndTheHistoryFromItsFirstMonth)
{
    const QTimeZone zone("Europe/Berlin");
    const std::int64_t now = At(2025, 3, 31, 12, zone);
    const HistoryBars year = MakeBars(HistoryRange::Last12Months, now, zone);
    ASSERT_EQ(year.Count(), 24);
    EXPECT_EQ(year.previousCount, 12);
    EXPECT_EQ(year.bounds.front(), At(2023, 4, 1, 0, zone));
    EXPECT_EQ(year.bounds[12], At(2024, 4, 1, 0, zone));
    EXPECT_EQ(year.bounds.back(), At(2025, 4, 1, 0, zone));
    EXPECT_EQ(RequestSpan(HistoryRange::Last12Months, now, zone).fromHour, At(2023, 4, 1, 0, zone));

    // All the counter keeps, and bars from the month of the first hit: no previous period.
    const HourSpan all = RequestSpan(HistoryRange::SinceTheHistoryBegan, now, zone);
    EXPECT_EQ(HourCount(all), kMaxHistoryHours);
    EXPECT_TRUE(IsValidSpan(all));
    const HistoryBars history
        = MakeBars(HistoryRange::SinceTheHistoryBegan, now, zone, At(2024, 11, 30, 23, QTimeZone::utc()));
    EXPECT_EQ(history.previousCount, 0);
    ASSERT_EQ(history.Count(), 4); // December (local) to March
    EXPECT_EQ(history.bounds.front(), At(2024, 12, 1, 0, zone));
    EXPECT_EQ(MakeBars(HistoryRange::SinceTheHistoryBegan, now, zone).Count(), 0);
}

TEST(HistoryPeriods, BarSumsSaturate)
{
    const HourSpan span{0, 2 * kHour};
    const HourlyHits hours{.kept = true, .span = span, .hits = {INT64_MAX, INT64_MAX, 1}};
    EXPECT_EQ(AddUpHours(hours, {0, 3 * kHour}), (std::vector<std::int64_t>{INT64_MAX}));
    EXPECT_EQ(AddUpHours(hours, {kHour, 2 * kHour, 3 * kHour}), (std::vector<std::int64_t>{INT64_MAX, 1}));
}
