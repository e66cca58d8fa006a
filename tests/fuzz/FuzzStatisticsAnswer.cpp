// Any server answer, read as a page list and as a referer list.
#include "stats/StatisticsAnswer.h"
#include "text/TextRoutines.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

using Outcome = StatisticsAnswer::Outcome;

// The page list read the plain way, from the answer rewritten whole: the reader finds the same
// lines in the answer as it came.
void CheckAgainstRewrittenText(std::string_view answer, const StatisticsAnswer& read)
{
    const std::string text = ReplaceAll(ReplaceAll(answer, "^OK", ""), "\",\"", ",");
    if (text == "OK") {
        if (read.outcome != Outcome::NoRecords)
            __builtin_trap();
        return;
    }
    std::size_t row = 0;
    bool stopped = false;
    std::vector<std::string> fields;
    ForEachLineAlsoBrokenAt('^', text, [&](std::string_view line) {
        SplitFields(',', line, fields);
        if (row >= read.rows.RowCount() || read.rows.Cell(row, 0) != (fields.size() >= 2 ? fields[1] : ""))
            __builtin_trap();
        ++row;
        stopped = fields.size() < 3;
        return !stopped;
    });
    if (row != read.rows.RowCount() || read.outcome != (stopped ? Outcome::StoppedShort : Outcome::Complete))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const StatisticsAnswer pages = ReadPageListAnswer(answer);
    CheckAgainstRewrittenText(answer, pages);
    const StatisticsAnswer referers = ReadRefererAnswer(answer);
    for (const StatisticsAnswer* read : {&pages, &referers}) {
        const CellTable& rows = read->rows;
        // A stopped reading keeps the row it began; a complete one has full rows only.
        if (read->outcome == Outcome::StoppedShort && rows.Empty())
            __builtin_trap();
        if (read->outcome == Outcome::NoRecords && !rows.Empty())
            __builtin_trap();
        const std::size_t fullRows = read->outcome == Outcome::StoppedShort ? rows.RowCount() - 1 : rows.RowCount();
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
