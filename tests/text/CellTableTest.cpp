#include "text/CellTable.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

std::vector<std::string> CellsOf(const CellTable& table, std::size_t row)
{
    std::vector<std::string> cells;
    for (std::size_t column = 0; column < table.CellCount(row); ++column)
        cells.emplace_back(table.Cell(row, column));
    return cells;
}

} // namespace

TEST(CellTable, KeepsEveryCellsBytesAndWhereEachRowEnds)
{
    const std::vector<std::vector<std::string>> rows{
        {"/a.php", "", "17"}, {"\0x\0"s, "\xff\r\n", ""}, {"", "", ""}, {"/short"}, {}, {"/after", "1", "2"}};
    CellTable table(3);
    for (const auto& row : rows) {
        table.AddRow();
        for (const std::string& cell : row)
            table.AddCell(cell);
    }
    ASSERT_EQ(table.RowCount(), rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(CellsOf(table, row), rows[row]) << "row " << row;
        // A cell the row was not given reads as empty, as does one past the width.
        for (std::size_t column = rows[row].size(); column <= table.Width(); ++column)
            EXPECT_EQ(table.Cell(row, column), "") << "row " << row << ", column " << column;
    }
}

TEST(CellTable, RefusesCellsItHasNoRoomForAndStaysAsItWas)
{
    CellTable table(2);
    EXPECT_THROW(table.AddCell("x"), std::logic_error);
    table.AddRow();
    table.AddCell("a");
    table.AddCell("b");
    EXPECT_THROW(table.AddCell("c"), std::logic_error);
    table.AddRow();
    table.AddCell("d");
    EXPECT_EQ(CellsOf(table, 0), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(CellsOf(table, 1), (std::vector<std::string>{"d"}));
    EXPECT_THROW(table.Cell(2, 0), std::out_of_range);
    EXPECT_THROW(table.CellCount(2), std::out_of_range);

    CellTable empty;
    EXPECT_TRUE(empty.Empty());
    empty.AddRow();
    EXPECT_THROW(empty.AddCell(""), std::logic_error);
    EXPECT_EQ(empty.Cell(0, 0), "");
}

// Tables of megabytes live in large blocks and grow by moving to larger ones: every cell must
// come through, whether the table was reserved or not.
TEST(CellTable, LargeTablesReadBackWhetherReservedOrGrown)
{
    constexpr std::size_t rows = 300000;
    const auto cell = [](std::size_t row, std::size_t column) {
        return std::to_string(row * 7 + column) + std::string(row % 5, static_cast<char>('a' + column));
    };
    for (const bool reserve : {false, true}) {
        CellTable table(3);
        if (reserve)
            table.Reserve(rows, rows * 12);
        for (std::size_t row = 0; row < rows; ++row) {
            table.AddRow();
            for (std::size_t column = 0; column < 3; ++column)
                table.AddCell(cell(row, column));
        }
        std::size_t wrong = 0;
        for (std::size_t row = 0; row < rows; ++row)
            for (std::size_t column = 0; column < 3; ++column)
                wrong += table.Cell(row, column) != cell(row, column);
        EXPECT_EQ(wrong, 0u) << (reserve ? "reserved" : "grown");
    }
}
