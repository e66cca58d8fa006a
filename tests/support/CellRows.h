#pragma once

// Rows of cells written down as nested vectors, for tests that state lists as data.

#include "text/CellTable.h"
#include "ui/LinkListView.h"

#include <algorithm>
#include <string>
#include <vector>

using CellRows = std::vector<std::vector<std::string>>;

// A table as wide as its widest row, holding exactly these cells.
inline CellTable TableOf(const CellRows& rows)
{
    std::size_t width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.size());
    CellTable table(width);
    for (const auto& row : rows) {
        table.AddRow();
        for (const std::string& cell : row)
            table.AddCell(cell);
    }
    return table;
}

// The cells each row was given, in table order.
inline CellRows RowsOf(const CellTable& table)
{
    CellRows rows(table.RowCount());
    for (std::size_t row = 0; row < table.RowCount(); ++row)
        for (std::size_t column = 0; column < table.CellCount(row); ++column)
            rows[row].emplace_back(table.Cell(row, column));
    return rows;
}

// The cells of the row a list shows at `row`.
inline std::vector<std::string> CellsOf(const TLinkListView& list, int row)
{
    std::vector<std::string> cells;
    for (int column = 0; column < list.CellCount(row); ++column)
        cells.emplace_back(list.Cell(row, column));
    return cells;
}
