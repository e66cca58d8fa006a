// The hourly history answer read and added up into the local months of "Last 12 months": a year
// of hours as the counter sends it, and a hostile 10 MB answer of unsorted, repeated records.
#include "history/HistoryAnswer.h"
#include "history/HistoryPeriods.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

constexpr std::int64_t kNow = 1743417000;

HourSpan YearSpan()
{
    const std::int64_t to = HourOf(kNow);
    return {to - 8759 * kSecondsPerHour, to};
}

std::string YearAnswer()
{
    const HourSpan span = YearSpan();
    std::string answer;
    for (std::int64_t hour = span.fromHour; hour <= span.toHour; hour += kSecondsPerHour)
        answer += "\"" + std::to_string(hour) + "\",\"" + std::to_string(hour % 977) + "\"^";
    return answer + "OK";
}

std::string HostileAnswer(std::size_t bytes)
{
    const HourSpan span = YearSpan();
    std::mt19937_64 random(7);
    std::string answer;
    answer.reserve(bytes + 64);
    while (answer.size() < bytes) {
        // Hours inside and outside the span, some off the hour, counts up to the largest int64.
        const std::int64_t hour = span.fromHour + static_cast<std::int64_t>(random() % 10000) * kSecondsPerHour
            - static_cast<std::int64_t>(random() % 4 == 0 ? 1800 : 0);
        answer += "\"" + std::to_string(hour) + "\",\"" + std::to_string(random() >> 1) + "\"^";
    }
    return answer + "OK";
}

void ReadAndAddUp(benchmark::State& state, const std::string& answer)
{
    const QTimeZone zone("Europe/Berlin");
    const HistoryBars bars = MakeBars(HistoryRange::Last12Months, kNow, zone);
    for (auto _ : state) {
        const HourlyHits hours = ReadHistoryAnswer(answer, YearSpan());
        benchmark::DoNotOptimize(AddUpHours(hours, bars.bounds));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * answer.size()));
    state.counters["answer MB"] = static_cast<double>(answer.size()) / 1e6;
}

void YearOfHours(benchmark::State& state)
{
    ReadAndAddUp(state, YearAnswer());
}
BENCHMARK(YearOfHours)->Unit(benchmark::kMillisecond);

void HostileTenMegabytes(benchmark::State& state)
{
    ReadAndAddUp(state, HostileAnswer(10u << 20));
}
BENCHMARK(HostileTenMegabytes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
