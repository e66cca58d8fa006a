#include "history/HistoryTable.h"

#include "text/DelimitedText.h"

#include <numeric>

namespace {

// The cells of a row after its period, in the header's order.
std::vector<std::string> CountCells(const HistoryTable& table, const HistoryRow& row)
{
    std::vector<std::string> cells{std::to_string(row.hits)};
    if (table.hasPrevious)
        cells.push_back(std::to_string(row.previousHits));
    if (table.hasRobots)
        cells.push_back(std::to_string(row.robots));
    return cells;
}

} // namespace

std::vector<QString> HistoryHeader(const HistoryTable& table)
{
    std::vector<QString> header{QStringLiteral("Period"), QStringLiteral("Hits")};
    if (table.hasPrevious)
        header.push_back(QStringLiteral("Previous period"));
    if (table.hasRobots)
        header.push_back(QString::fromLatin1(kRobotsCaption));
    return header;
}

namespace {

// The header and then one record a row, each row's cells from `firstCell` and the counts.
template <typename FirstCell>
std::string TableText(const HistoryTable& table, const std::vector<int>& rows, FirstCell firstCell,
    void (*appendRecord)(std::string&, std::span<const std::string_view>))
{
    std::vector<std::string> cells;
    std::vector<std::string_view> views;
    auto append = [&](std::string& out) {
        views.assign(cells.begin(), cells.end());
        appendRecord(out, views);
    };
    std::string text;
    for (const QString& title : HistoryHeader(table))
        cells.push_back(title.toStdString());
    append(text);
    for (int index : rows) {
        if (index < 0 || static_cast<std::size_t>(index) >= table.rows.size())
            continue;
        const HistoryRow& row = table.rows[static_cast<std::size_t>(index)];
        cells = CountCells(table, row);
        cells.insert(cells.begin(), firstCell(row));
        append(text);
    }
    return text;
}

} // namespace

std::string HistoryCsv(const HistoryTable& table)
{
    std::vector<int> rows(table.rows.size());
    std::iota(rows.begin(), rows.end(), 0);
    return TableText(
        table, rows, [](const HistoryRow& row) { return row.isoPeriod; }, AppendCsvRecord);
}

QString HistoryCopyText(const HistoryTable& table, const std::vector<int>& rows)
{
    return QString::fromStdString(TableText(
        table, rows, [](const HistoryRow& row) { return row.period.toStdString(); }, AppendTabRecord));
}
