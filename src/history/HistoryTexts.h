#pragma once

// What the History window says in words: the total against the previous period, and each
// bar's date in the user's locale (on the axis, in the table, in the hover text) and in
// ISO 8601 for files.

#include "history/HistoryPeriods.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

// "1 hit", "4,210 hits".
QString HitsText(std::int64_t hits, const QLocale& locale);

// "4,210 hits in the last 30 days, 12% more than the 30 days before". The comparison is
// left out when there is no previous period (nothing given) or it had no hits.
QString HistorySummary(
    HistoryRange range, std::int64_t hits, std::optional<std::int64_t> previousHits, const QLocale& locale);

struct BarTexts {
    QString axis; // short, under the bar
    QString period; // the table's and the hover text's name of the bar
    std::string iso; // the bar's start in ISO 8601, for files
};

// The texts of the bar that starts at the second `start`. A month's axis text names the
// year in January and on the first bar.
BarTexts TextsOfBar(BarUnit unit, std::int64_t start, const QTimeZone& zone, const QLocale& locale, bool firstBar);

// The locale's short date without its year ("M/d", "dd.MM").
QString DayAndMonthFormat(const QLocale& locale);
