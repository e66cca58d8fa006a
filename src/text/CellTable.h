#pragma once

// The cells of a whole list in one block of bytes, each row a fixed record of where its cells
// end, appended row by row. A list of a million rows is then a handful of allocations to fill,
// to walk and to free, where a string per cell would be millions.

#include "platform/LargePages.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class CellTable {
public:
    // Rows of at most `width` cells.
    explicit CellTable(std::size_t width = 0);

    std::size_t Width() const { return width_; }
    std::size_t RowCount() const { return cellCounts_.size(); }
    bool Empty() const { return cellCounts_.empty(); }

    // Room for `rows` rows and `bytes` bytes of cells without growing.
    void Reserve(std::size_t rows, std::size_t bytes);
    // Starts a row without cells; AddCell fills it.
    void AddRow();
    // Appends a cell to the last row. Throws std::logic_error without a row or when the row is
    // full, std::length_error when the cells outgrow 4 GiB; the table is unchanged then.
    void AddCell(std::string_view text);

    // How many cells the row was given; rows may end short.
    std::size_t CellCount(std::size_t row) const;
    // The cell's bytes, valid while the table is not changed; empty for a cell the row was not
    // given. Throws std::out_of_range for a row the table does not have.
    std::string_view Cell(std::size_t row, std::size_t column) const;

private:
    template <class T> using Block = std::vector<T, platform::LargePageAllocator<T>>;

    std::size_t width_;
    Block<char> bytes_;
    // Width() entries a row: where each cell ends in bytes_. A cell the row was not given ends
    // where the one before it does, so each row begins where the row before it ends.
    Block<std::uint32_t> ends_;
    std::vector<std::uint8_t> cellCounts_;
};
