#include "history/HistoryPeriods.h"

#include <QDate>
#include <QDateTime>

namespace {

// The first second of a day, also when a daylight-saving change skips its midnight.
std::int64_t StartOf(QDate day, const QTimeZone& zone)
{
    return day.startOfDay(zone).toSecsSinceEpoch();
}

QDate LocalDate(std::int64_t seconds, const QTimeZone& zone)
{
    return QDateTime::fromSecsSinceEpoch(seconds, zone).date();
}

QDate FirstOfMonth(QDate day)
{
    return QDate(day.year(), day.month(), 1);
}

int MonthsBetween(QDate from, QDate to)
{
    return (to.year() - from.year()) * 12 + to.month() - from.month();
}

} // namespace

QTimeZone TimeZoneNamed(const std::string& name)
{
    if (!name.empty()) {
        QTimeZone zone(QByteArray::fromStdString(name));
        if (zone.isValid())
            return zone;
    }
    return QTimeZone::systemTimeZone();
}

BarUnit BarUnitOf(HistoryRange range)
{
    switch (range) {
    case HistoryRange::Last24Hours: return BarUnit::Hour;
    case HistoryRange::Last7Days:
    case HistoryRange::Last30Days:
    case HistoryRange::Last90Days: return BarUnit::Day;
    case HistoryRange::Last12Months:
    case HistoryRange::SinceTheHistoryBegan: return BarUnit::Month;
    }
    return BarUnit::Day;
}

int BarCountOf(HistoryRange range)
{
    switch (range) {
    case HistoryRange::Last24Hours: return 24;
    case HistoryRange::Last7Days: return 7;
    case HistoryRange::Last30Days: return 30;
    case HistoryRange::Last90Days: return 90;
    case HistoryRange::Last12Months: return 12;
    case HistoryRange::SinceTheHistoryBegan: return 0;
    }
    return 0;
}

HistoryBars MakeBars(
    HistoryRange range, std::int64_t now, const QTimeZone& zone, std::optional<std::int64_t> firstHourWithHits)
{
    HistoryBars bars{.unit = BarUnitOf(range), .bounds = {}, .previousCount = BarCountOf(range)};
    const int count = BarCountOf(range);
    const QDate today = LocalDate(now, zone);
    switch (bars.unit) {
    case BarUnit::Hour: {
        const std::int64_t first = HourOf(now) - (2 * count - 1) * kSecondsPerHour;
        for (int i = 0; i <= 2 * count; ++i)
            bars.bounds.push_back(first + i * kSecondsPerHour);
        break;
    }
    case BarUnit::Day: {
        const QDate first = today.addDays(1 - 2 * count);
        for (int i = 0; i <= 2 * count; ++i)
            bars.bounds.push_back(StartOf(first.addDays(i), zone));
        break;
    }
    case BarUnit::Month: {
        const QDate thisMonth = FirstOfMonth(today);
        QDate first = thisMonth.addMonths(1 - 2 * count);
        if (range == HistoryRange::SinceTheHistoryBegan) {
            if (!firstHourWithHits)
                return bars;
            first = FirstOfMonth(LocalDate(*firstHourWithHits, zone));
        }
        const int months = MonthsBetween(first, thisMonth) + 1;
        for (int i = 0; i <= months; ++i)
            bars.bounds.push_back(StartOf(first.addMonths(i), zone));
        break;
    }
    }
    return bars;
}

HourSpan RequestSpan(HistoryRange range, std::int64_t now, const QTimeZone& zone)
{
    const std::int64_t thisHour = HourOf(now);
    if (range == HistoryRange::SinceTheHistoryBegan)
        return {thisHour - (kMaxHistoryHours - 1) * kSecondsPerHour, thisHour};
    return {FirstHourFrom(MakeBars(range, now, zone).bounds.front()), thisHour};
}

std::vector<std::int64_t> AddUpHours(const HourlyHits& hours, const std::vector<std::int64_t>& bounds)
{
    std::vector<std::int64_t> sums(bounds.empty() ? 0 : bounds.size() - 1, 0);
    std::size_t bar = 0;
    for (std::size_t i = 0; i < hours.hits.size() && bar < sums.size(); ++i) {
        if (hours.hits[i] == 0)
            continue;
        const std::int64_t hour = hours.span.fromHour + static_cast<std::int64_t>(i) * kSecondsPerHour;
        while (bar < sums.size() && hour >= bounds[bar + 1])
            ++bar;
        if (bar < sums.size() && hour >= bounds[bar])
            sums[bar] = SaturatingAdd(sums[bar], hours.hits[i]);
    }
    return sums;
}
