#include "text/CellTable.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace {

// A row's cell count is kept in a byte.
constexpr std::size_t kMostCells = std::numeric_limits<std::uint8_t>::max();

} // namespace

CellTable::CellTable(std::size_t width)
    : width_(width)
{
    if (width_ > kMostCells)
        throw std::length_error("CellTable: too many cells a row");
}

void CellTable::Reserve(std::size_t rows, std::size_t bytes)
{
    bytes_.reserve(bytes);
    ends_.reserve(rows * width_);
    cellCounts_.reserve(rows);
}

void CellTable::AddRow()
{
    ends_.insert(ends_.end(), width_, static_cast<std::uint32_t>(bytes_.size()));
    cellCounts_.push_back(0);
}

void CellTable::AddCell(std::string_view text)
{
    if (cellCounts_.empty() || cellCounts_.back() >= width_)
        throw std::logic_error("CellTable: no room for a cell in the last row");
    if (text.size() > std::numeric_limits<std::uint32_t>::max() - bytes_.size())
        throw std::length_error("CellTable: cells larger than 4 GiB");
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    const auto rowEnds = ends_.end() - static_cast<std::ptrdiff_t>(width_);
    std::fill(rowEnds + cellCounts_.back(), ends_.end(), static_cast<std::uint32_t>(bytes_.size()));
    ++cellCounts_.back();
}

std::size_t CellTable::CellCount(std::size_t row) const
{
    return cellCounts_.at(row);
}

std::string_view CellTable::Cell(std::size_t row, std::size_t column) const
{
    if (column >= CellCount(row))
        return {};
    const std::size_t at = row * width_ + column;
    const std::size_t start = at == 0 ? 0 : ends_[at - 1];
    return std::string_view(bytes_.data() + start, ends_[at] - start);
}
