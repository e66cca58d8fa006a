#pragma once

// Reading the counter's hourly history. The answer has the page list's grammar: one record
// "H","N" per hour with hits (H the hour as Unix seconds, a multiple of 3600; N its hits),
// records joined by "^", closed by "^OK", or "OK" alone when no hour has hits. A hostile
// answer costs nothing beyond its length: duplicates add up, hours outside the span asked or
// not on the hour and anything that does not parse are passed over, sums stop at the largest
// number instead of wrapping.

#include <cstdint>
#include <string_view>
#include <vector>

inline constexpr std::int64_t kSecondsPerHour = 3600;
// The longest span the counter answers for, in hours.
inline constexpr std::int64_t kMaxHistoryHours = 100000;

// The hours from `fromHour` to `toHour`, both included, as Unix seconds.
struct HourSpan {
    std::int64_t fromHour = 0;
    std::int64_t toHour = 0;
    bool operator==(const HourSpan&) const = default;
};

// On the hour, in order, and no longer than the counter answers for.
bool IsValidSpan(HourSpan span);
std::int64_t HourCount(HourSpan span);
// The hour that holds the second `seconds`, and the first hour that starts at or after it.
std::int64_t HourOf(std::int64_t seconds);
std::int64_t FirstHourFrom(std::int64_t seconds);

struct HourlyHits {
    // The answer held "OK": the counter keeps a history. A counter of an earlier version
    // answers something else to a request it does not know.
    bool kept = false;
    HourSpan span;
    // Hits per hour of the span, from its first hour; empty when not kept or the span is not valid.
    std::vector<std::int64_t> hits;

    // The first hour with hits, or -1 when there is none.
    std::int64_t FirstHourWithHits() const;
};

HourlyHits ReadHistoryAnswer(std::string_view answer, HourSpan span);

// a + b for counts that are never negative, held at the largest int64 instead of wrapping.
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b);
