// Any server answer, read as the hourly history over a span the first bytes choose.
#include "history/HistoryAnswer.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Two bytes for the span's start and length, so short spans where records land are common.
    if (size < 2)
        return 0;
    const std::int64_t from = (1743379200 / kSecondsPerHour + data[0] - 128) * kSecondsPerHour;
    const HourSpan span{from, from + data[1] * kSecondsPerHour};
    const std::string_view answer(reinterpret_cast<const char*>(data + 2), size - 2);
    const HourlyHits read = ReadHistoryAnswer(answer, span);

    if (read.kept != (answer.find("OK") != std::string_view::npos))
        __builtin_trap();
    if (!read.kept) {
        if (!read.hits.empty())
            __builtin_trap();
        return 0;
    }
    if (read.hits.size() != static_cast<std::size_t>(HourCount(span)))
        __builtin_trap();
    // Every hour's hits come from records in the answer: never negative, and none without a
    // record of its own, which takes more than three bytes (a comma and two values at least).
    std::size_t hoursWithHits = 0;
    for (std::int64_t hits : read.hits) {
        if (hits < 0)
            __builtin_trap();
        hoursWithHits += hits > 0;
    }
    if (hoursWithHits * 3 > answer.size())
        __builtin_trap();
    const std::int64_t first = read.FirstHourWithHits();
    if (first != -1 && (first < span.fromHour || first > span.toHour || first % kSecondsPerHour != 0))
        __builtin_trap();
    return 0;
}
