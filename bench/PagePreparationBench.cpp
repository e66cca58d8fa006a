// Preparing a site of 10,000 pages of about 4 KiB against the least any such run must do:
// list the folder, read every file and write it back through a temporary file and a rename.

#include "net/HttpClient.h"
#include "site/PagePreparation.h"
#include "site/PagePreparationRun.h"
#include "ui/MessageBox.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kPages = 10000;
const std::string kIncludePath = "/home/user/public_html/counter/count.php";

// About 4 KiB of HTML in LF lines, different for every page.
std::string PageText(int number)
{
    std::string text = "<html><head><title>Page " + std::to_string(number) + "</title></head>\n<body>\n";
    while (text.size() < 4000)
        text += "<p>Line of an ordinary page, number " + std::to_string(number) + ", with some text in it.</p>\n";
    return text + "</body></html>\n";
}

class Site {
public:
    Site()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tallywick-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        folder_ = pattern;
    }
    ~Site() { std::filesystem::remove_all(folder_); }

    // Every page back to its unprepared text, so each round does the same work.
    void Reset() const
    {
        for (int n = 0; n < kPages; ++n) {
            const std::string path = folder_ + "/page" + std::to_string(n) + ".php";
            FILE* file = std::fopen(path.c_str(), "wb");
            const std::string text = PageText(n);
            std::fwrite(text.data(), 1, text.size(), file);
            std::fclose(file);
        }
    }
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};

const Site& TheSite()
{
    static const Site site;
    return site;
}

std::string ReadAll(const std::string& path)
{
    std::string bytes;
    const int fd = open(path.c_str(), O_RDONLY);
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(got));
    close(fd);
    return bytes;
}

void WriteViaRename(const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || close(fd) != 0
        || rename(temporary.c_str(), path.c_str()) != 0)
        throw std::runtime_error("bare write failed");
}

void BareReadAndRename(benchmark::State& state)
{
    const Site& site = TheSite();
    for (auto _ : state) {
        state.PauseTiming();
        site.Reset();
        state.ResumeTiming();
        std::vector<std::string> paths;
        DIR* listing = opendir(site.Folder().c_str());
        while (const dirent* entry = readdir(listing))
            if (entry->d_name[0] != '.')
                paths.push_back(site.Folder() + "/" + entry->d_name);
        closedir(listing);
        for (const std::string& path : paths)
            WriteViaRename(path, ReadAll(path));
    }
    state.counters["pages"] = kPages;
}

void PreparePageFiles(benchmark::State& state)
{
    const Site& site = TheSite();
    for (auto _ : state) {
        state.PauseTiming();
        site.Reset();
        state.ResumeTiming();
        for (const std::string& path : CollectPageFiles(site.Folder(), true)) {
            const PageFileResult result = PreparePageFile(path, kIncludePath);
            if (!result.error.empty())
                throw std::runtime_error(result.error);
        }
    }
    state.counters["pages"] = kPages;
}

// The same with the status bar moving and window events handled page by page.
void PreparePagesWithStatusBar(benchmark::State& state)
{
    const Site& site = TheSite();
    net::HttpClient client([] {});
    ServerSettings settings;
    TMessageBox messages(nullptr);
    QLabel status;
    QProgressBar gauge;
    status.show();
    gauge.show();
    std::vector<std::string> pageFiles;
    TPagePreparation run(
        client, settings, messages, nullptr, "/", nullptr, &status, &gauge, pageFiles,
        [] { QApplication::processEvents(); }, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        site.Reset();
        pageFiles.clear();
        state.ResumeTiming();
        run.PreparePages(kIncludePath, site.Folder(), true);
    }
    state.counters["pages"] = static_cast<double>(pageFiles.size());
}

BENCHMARK(BareReadAndRename)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PreparePageFiles)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PreparePagesWithStatusBar)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
