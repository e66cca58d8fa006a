// Any server answer, read as a page list and as a referer list.
#include "stats/StatisticsAnswer.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    for (const StatisticsAnswer& read : {ReadPageListAnswer(answer), ReadRefererAnswer(answer)}) {
        const CellTable& rows = read.rows;
        // A stopped reading keeps the row it began; a complete one has full rows only.
        if (read.outcome == StatisticsAnswer::Outcome::StoppedShort && rows.Empty())
            __builtin_trap();
        if (read.outcome == StatisticsAnswer::Outcome::NoRecords && !rows.Empty())
            __builtin_trap();
        const std::size_t fullRows
            = read.outcome == StatisticsAnswer::Outcome::StoppedShort ? rows.RowCount() - 1 : rows.RowCount();
        for (std::size_t row = 0; row < rows.RowCount(); ++row) {
            if ((row < fullRows) != (rows.CellCount(row) == rows.Width()))
                __builtin_trap();
            // Every cell reads back within the answer's bytes or the few texts the reader adds.
            for (std::size_t column = 0; column <= rows.Width(); ++column)
                if (rows.Cell(row, column).size() > size + 14)
                    __builtin_trap();
        }
    }
    return 0;
}
