// The real main window, offscreen, refreshing its page list from a loopback counter that
// answers each request after 2 s. A 5 ms timer on the user-interface thread stands for the
// window's events; the longest gap between its ticks while the refresh waits is how long an
// event could have waited. Goal: under 20 ms. Beside it, the same timer in an idle event loop
// for as long: what the machine itself gives, the floor no request can go below.
#include "shell/FMain.h"
#include "support/RecordingServer.h"
#include "ui/LinkListView.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Runs `work` once per iteration and counts the gaps between the ticks of a 5 ms timer.
void MeasureTicks(benchmark::State& state, const std::function<void()>& work)
{
    std::vector<Clock::time_point> ticks;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ticks.push_back(Clock::now()); });
    timer.start();

    Clock::duration longest{};
    std::size_t tickCount = 0;
    std::size_t gapsOver20 = 0;
    for (auto _ : state) {
        ticks.clear();
        const auto start = Clock::now();
        work();
        const auto end = Clock::now();
        ticks.push_back(end);
        Clock::time_point previous = start;
        for (const Clock::time_point tick : ticks) {
            longest = std::max(longest, tick - previous);
            gapsOver20 += tick - previous > 20ms ? 1 : 0;
            previous = tick;
        }
        tickCount += ticks.size() - 1;
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    timer.stop();
    state.counters["longest_gap_ms"] = std::chrono::duration<double, std::milli>(longest).count();
    state.counters["ticks"] = static_cast<double>(tickCount);
    // Many: the window waits too long; one or two: the machine was busy with other work.
    state.counters["gaps_over_20ms"] = static_cast<double>(gapsOver20);
}

void RefreshWhileTheServerThinks(benchmark::State& state)
{
    RecordingServer server;
    server.Answer("/actions.php", [](const RecordedRequest& request) {
        const auto fields = request.Fields();
        const bool check = !fields.empty() && fields.front().second == "1";
        return ServerAnswer::Text(check ? "OK" : "\"1\",\"/index.php\",\"5\"^OK").After(2s);
    });
    AppContext context;
    context.programDirectory = "/nonexistent";
    context.messageResponder = [](const std::string&, MessageKind, MessageButtons) { return false; };
    TfrmMain window(std::move(context));
    window.Timer1->stop();
    window.ServerSettings.siteUrl = server.Url();
    window.show();
    QCoreApplication::processEvents();

    // Both requests wait 2 s for their answer.
    MeasureTicks(state, [&] { window.btnRevfreshSegments->click(); });
    state.counters["rows"] = window.lvwPages->RowCount();
}

void IdleEventLoopForAsLong(benchmark::State& state)
{
    QEventLoop loop;
    MeasureTicks(state, [&] {
        QTimer::singleShot(4s, &loop, &QEventLoop::quit);
        loop.exec();
    });
}

BENCHMARK(RefreshWhileTheServerThinks)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(IdleEventLoopForAsLong)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
