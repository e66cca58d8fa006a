// Any server answer, read as a page list and as a referer list.
#include "stats/StatisticsAnswer.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    for (const StatisticsAnswer& read : {ReadPageListAnswer(answer), ReadRefererAnswer(answer)}) {
        // A stopped reading keeps the row it began; a complete one has full rows only.
        if (read.outcome == StatisticsAnswer::Outcome::StoppedShort && read.rows.empty())
            __builtin_trap();
        if (read.outcome == StatisticsAnswer::Outcome::NoRecords && !read.rows.empty())
            __builtin_trap();
    }
    return 0;
}
