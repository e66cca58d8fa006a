#pragma once

// The ranges of the History window and the bars they are drawn in. The counter keeps UTC
// hours; days and months are those of a time zone, so each bar is the span between two
// instants and a day with a daylight-saving change simply holds 23 or 25 hours.

#include "history/HistoryAnswer.h"

#include <QTimeZone>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class HistoryRange { Last24Hours, Last7Days, Last30Days, Last90Days, Last12Months, SinceTheHistoryBegan };
inline constexpr HistoryRange kAllHistoryRanges[] = {HistoryRange::Last24Hours, HistoryRange::Last7Days,
    HistoryRange::Last30Days, HistoryRange::Last90Days, HistoryRange::Last12Months, HistoryRange::SinceTheHistoryBegan};

enum class BarUnit { Hour, Day, Month };

// The time zone of that IANA name; an empty or unknown name gives this computer's.
QTimeZone TimeZoneNamed(const std::string& name);

BarUnit BarUnitOf(HistoryRange range);
// The bars of the range itself; 0 for "since the history began", which has as many as it needs.
int BarCountOf(HistoryRange range);

struct HistoryBars {
    BarUnit unit = BarUnit::Day;
    // The first second of each bar, oldest first, and after them the end of the last bar. The
    // previous period's bars come first, as many as the range has, then the range's own.
    std::vector<std::int64_t> bounds;
    int previousCount = 0;

    int Count() const { return bounds.empty() ? 0 : static_cast<int>(bounds.size()) - 1; }
    int CurrentCount() const { return Count() - previousCount; }
};

// The bars of `range` at the second `now` in `zone`. "Since the history began" runs from
// the month of the first hour with hits to this month, and has no previous period.
HistoryBars MakeBars(HistoryRange range, std::int64_t now, const QTimeZone& zone,
    std::optional<std::int64_t> firstHourWithHits = std::nullopt);

// The hours one request asks for: the range and the same length before it, up to this
// hour. "Since the history began" asks for as much as the counter answers for.
HourSpan RequestSpan(HistoryRange range, std::int64_t now, const QTimeZone& zone);

// The hits of each bar: every hour is added to the bar its first second falls in.
std::vector<std::int64_t> AddUpHours(const HourlyHits& hours, const std::vector<std::int64_t>& bounds);
