#include "history/HistoryTable.h"

#include "text/CsvText.h"

#include <QStringList>

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

std::string HistoryCsv(const HistoryTable& table)
{
    std::vector<std::string> header;
    for (const QString& title : HistoryHeader(table))
        header.push_back(title.toStdString());
    std::string csv = CsvRecord(header);
    for (const HistoryRow& row : table.rows) {
        std::vector<std::string> cells{row.isoPeriod};
        for (std::string& count : CountCells(table, row))
            cells.push_back(std::move(count));
        csv += CsvRecord(cells);
    }
    return csv;
}

QString HistoryCopyText(const HistoryTable& table, const std::vector<int>& rows)
{
    QStringList lines;
    QStringList header;
    for (const QString& title : HistoryHeader(table))
        header.push_back(title);
    lines.push_back(header.join(QLatin1Char('\t')));
    for (int index : rows) {
        if (index < 0 || static_cast<std::size_t>(index) >= table.rows.size())
            continue;
        const HistoryRow& row = table.rows[static_cast<std::size_t>(index)];
        QStringList cells{row.period};
        for (const std::string& count : CountCells(table, row))
            cells.push_back(QString::fromStdString(count));
        lines.push_back(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
