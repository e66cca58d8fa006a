// A page-list answer read and shown in the main window's list, with its total, at growing
// sizes: the cost should grow as n log n (one sort), never n squared.
#include "PageListWindow.h"
#include "stats/StatisticsAnswer.h"
#include "ui/LinkListView.h"

#include <QCoreApplication>
#include <QLabel>
#include <benchmark/benchmark.h>

namespace {

TfrmMain& Window()
{
    static TfrmMain& window = ShownWindow();
    return window;
}

void FillPageList(benchmark::State& state)
{
    const std::string answer = PageListAnswer(static_cast<int>(state.range(0)));
    TfrmMain& window = Window();
    for (auto _ : state) {
        window.FillPageList(answer);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.lvwPages->RowCount());
    }
    state.SetComplexityN(state.range(0));
    state.counters["rows"] = window.lvwPages->RowCount();
}

BENCHMARK(FillPageList)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond)->Complexity();

// Reading the answer into rows on its own: the part of a fill that touches the most memory.
void ReadAnswer(benchmark::State& state)
{
    const std::string answer = PageListAnswer(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPageListAnswer(answer).rows.RowCount());
    state.SetComplexityN(state.range(0));
}

BENCHMARK(ReadAnswer)->RangeMultiplier(10)->Range(100000, 1000000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace
