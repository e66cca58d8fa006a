// What the owner does with a page list of 100,000 rows: typing into its filter (each keystroke
// shows the matching rows, counts them and repaints; goal under 30 ms), copying every row and
// exporting every row to a CSV file.
#include "PageListWindow.h"
#include "stats/ListCommands.h"
#include "ui/LinkListView.h"
#include "ui/ListText.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <unistd.h>

namespace {

constexpr int kRows = 100000;
// Ten characters an owner might type: "s" and "sec" match every row, the whole text about
// one row in a thousand.
const QString kTyped = QStringLiteral("section42/");

// A folder of its own for the exported file, removed when the program ends.
const std::filesystem::path& ExportPath()
{
    static const struct ExportFolder {
        ExportFolder()
        {
            std::string name = (std::filesystem::temp_directory_path() / "tallywick-bench-XXXXXX").string();
            if (!mkdtemp(name.data()))
                std::abort();
            folder = name;
        }
        ~ExportFolder() { std::filesystem::remove_all(folder); }
        std::filesystem::path folder;
    } exportFolder;
    static const std::filesystem::path path = exportFolder.folder / "pages.csv";
    return path;
}

TfrmMain& Window()
{
    static TfrmMain& window = []() -> TfrmMain& {
        AppContext context;
        context.chooseSaveFile = [](QWidget*, const std::string&, const std::string&) {
            return std::optional<std::string>(ExportPath().string());
        };
        TfrmMain& shown = ShownWindow(std::move(context));
        shown.FillPageList(PageListAnswer(kRows));
        QCoreApplication::processEvents();
        return shown;
    }();
    return window;
}

void Type(TfrmMain& window, const QString& text)
{
    window.edtPageFilter->setText(text);
    QCoreApplication::processEvents();
}

// The keystroke that makes the filter `state.range(0)` characters long.
void FilterKeystroke(benchmark::State& state)
{
    TfrmMain& window = Window();
    const auto length = static_cast<qsizetype>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Type(window, kTyped.left(length - 1));
        state.ResumeTiming();
        Type(window, kTyped.left(length));
    }
    state.counters["shown"] = window.lvwPages->RowCount();
    Type(window, QString());
}

BENCHMARK(FilterKeystroke)->Arg(1)->Arg(3)->Arg(10)->Unit(benchmark::kMillisecond);

// The first keystroke after a fill also folds the captions for the ones that follow.
void FirstKeystrokeAfterFill(benchmark::State& state)
{
    TfrmMain& window = Window();
    const std::string answer = PageListAnswer(kRows);
    for (auto _ : state) {
        state.PauseTiming();
        Type(window, QString());
        window.FillPageList(answer);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        Type(window, kTyped.left(1));
    }
    Type(window, QString());
}

BENCHMARK(FirstKeystrokeAfterFill)->Unit(benchmark::kMillisecond);

// Every row checked and copied to the clipboard as tab-separated text.
void CopyAllRows(benchmark::State& state)
{
    TfrmMain& window = Window();
    window.lvwPages->SetAllChecked(true);
    for (auto _ : state)
        window.ListCommands().CopyPages();
    window.lvwPages->SetAllChecked(false);
    state.counters["rows"] = window.lvwPages->RowCount();
}

BENCHMARK(CopyAllRows)->Unit(benchmark::kMillisecond);

// Every row written to a CSV file: the text, then the temporary file, its flush to the disk
// and the rename.
void ExportAllRows(benchmark::State& state)
{
    TfrmMain& window = Window();
    for (auto _ : state)
        window.ListCommands().ExportPages();
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(ExportPath()));
}

BENCHMARK(ExportAllRows)->Unit(benchmark::kMillisecond);

// The CSV text alone, without the disk.
void CsvText(benchmark::State& state)
{
    TfrmMain& window = Window();
    std::vector<int> rows(static_cast<size_t>(window.lvwPages->RowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(ListText(*window.lvwPages, rows, ListTextFormat::Csv, std::vector<int>{1}).size());
}

BENCHMARK(CsvText)->Unit(benchmark::kMillisecond);

} // namespace
