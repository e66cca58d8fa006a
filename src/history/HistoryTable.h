#pragma once

// The numbers under the chart: one row a bar, to read, to copy and to export.

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

struct HistoryRow {
    QString period; // as the table shows it, in the user's locale
    std::string isoPeriod; // the bar's start in ISO 8601
    std::int64_t hits = 0;
    std::int64_t previousHits = 0; // the bar at the same place in the previous period
    std::int64_t robots = 0;
};

struct HistoryTable {
    bool hasPrevious = false; // the range has a previous period
    bool hasRobots = false; // the robots' hits are shown
    std::vector<HistoryRow> rows;
};

inline constexpr const char* kRobotsCaption = "Robots (not counted)";

// "Period", "Hits", then "Previous period" and "Robots (not counted)" when the table has them.
std::vector<QString> HistoryHeader(const HistoryTable& table);

// The whole table as RFC 4180 CSV in UTF-8: a header line, then every row with the bar's
// start in ISO 8601 and the counts as plain integers.
std::string HistoryCsv(const HistoryTable& table);

// The given rows (in that order) as tab-separated lines under a header line, for pasting into a
// spreadsheet: the period as the table shows it, the counts as plain integers.
QString HistoryCopyText(const HistoryTable& table, const std::vector<int>& rows);
