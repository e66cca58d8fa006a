#include "history/HistoryAnswer.h"

#include "text/TextRoutines.h"

#include <limits>
#include <optional>

namespace {

constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();

// A value of a record: optional quotes around decimal digits, blanks allowed around both.
std::optional<std::int64_t> ValueOf(std::string_view field)
{
    field = TrimControls(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = TrimControls(field.substr(1, field.size() - 2));
    if (field.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value > (kLargest - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

bool IsValidSpan(HourSpan span)
{
    return span.fromHour % kSecondsPerHour == 0 && span.toHour % kSecondsPerHour == 0 && span.fromHour <= span.toHour
        && (span.toHour / kSecondsPerHour - span.fromHour / kSecondsPerHour) < kMaxHistoryHours;
}

std::int64_t HourCount(HourSpan span)
{
    return span.toHour / kSecondsPerHour - span.fromHour / kSecondsPerHour + 1;
}

std::int64_t HourOf(std::int64_t seconds)
{
    const std::int64_t hour = seconds / kSecondsPerHour * kSecondsPerHour;
    return hour > seconds ? hour - kSecondsPerHour : hour;
}

std::int64_t FirstHourFrom(std::int64_t seconds)
{
    const std::int64_t hour = HourOf(seconds);
    return hour == seconds ? hour : hour + kSecondsPerHour;
}

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b)
{
    return a > kLargest - b ? kLargest : a + b;
}

std::int64_t HourlyHits::FirstHourWithHits() const
{
    for (std::size_t i = 0; i < hits.size(); ++i)
        if (hits[i] > 0)
            return span.fromHour + static_cast<std::int64_t>(i) * kSecondsPerHour;
    return -1;
}

HourlyHits ReadHistoryAnswer(std::string_view answer, HourSpan span)
{
    HourlyHits result{.kept = answer.find("OK") != std::string_view::npos, .span = span, .hits = {}};
    if (!result.kept || !IsValidSpan(span))
        return result;
    result.hits.assign(static_cast<std::size_t>(HourCount(span)), 0);
    std::size_t start = 0;
    while (start <= answer.size()) {
        std::size_t end = answer.find('^', start);
        if (end == std::string_view::npos)
            end = answer.size();
        const std::string_view record = answer.substr(start, end - start);
        start = end + 1;
        // Exactly two values; the closing "OK" and anything else are passed over.
        const std::size_t comma = record.find(',');
        if (comma == std::string_view::npos || record.find(',', comma + 1) != std::string_view::npos)
            continue;
        const std::optional<std::int64_t> hour = ValueOf(record.substr(0, comma));
        const std::optional<std::int64_t> count = ValueOf(record.substr(comma + 1));
        if (!hour || !count || *hour % kSecondsPerHour != 0 || *hour < span.fromHour || *hour > span.toHour)
            continue;
        std::int64_t& sum = result.hits[static_cast<std::size_t>((*hour - span.fromHour) / kSecondsPerHour)];
        sum = SaturatingAdd(sum, *count);
    }
    return result;
}
