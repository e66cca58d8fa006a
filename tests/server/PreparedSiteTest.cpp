// A copy of a site as an owner keeps it (the counter's folder inside, pages that must begin
// with declare or namespace), prepared by the program's own "Prepare Web Pages" command
// against the real showmainpath.php, then served by PHP with the real counter on SQLite:
// every page answers as it did before and counts.

#include "net/HttpClient.h"
#include "net/Requests.h"
#include "serverkit/CounterSite.h"
#include "serverkit/ServerProcesses.h"
#include "site/FPrepare.h"
#include "site/PagePreparationRun.h"
#include "stats/StatisticsAnswer.h"
#include "support/CellRows.h"
#include "support/TempDir.h"
#include "text/TextRoutines.h"
#include "ui/MessageBox.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <filesystem>
#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr const char* kBrowser = "Mozilla/5.0 (X11; Linux x86_64; rv:115.0) Gecko/20100101 Firefox/115.0";

// Each page prints something only its own code can, so a page that stopped shows at once.
const std::map<std::string, std::string> kPages = {
    {"/index.php", "<html><body><?php echo 'plain ' . (1 + 1); ?></body></html>\n"},
    {"/strict.php",
        "<?php\ndeclare(strict_types=1);\n\nfunction twice(int $n): int\n{\n    return 2 * $n;\n}\necho twice(21);\n"},
    {"/shop/cart.php",
        "<?php\nnamespace Shop\\Cart;\n\nfunction where(): string\n{\n    return __NAMESPACE__;\n}\n"
        "echo where(), ' ', \\strlen('four');\n"},
    {"/both.php", "<?php declare(strict_types=1);\nnamespace App;\n?>\n<p><?= __NAMESPACE__ ?></p>\n"},
    // Where the include cannot go with certainty: left as it is, still working, not counted.
    {"/legacy.php", "<?php\nnamespace Legacy {\n    echo 'braced';\n}\n"},
};
const std::vector<std::string> kCounted = {"/both.php", "/index.php", "/shop/cart.php", "/strict.php"};

class PreparedSite : public testing::Test {
protected:
    void SetUp() override
    {
        const std::optional<std::string> php = serverkit::FindProgram("php");
        if (!php)
            GTEST_SKIP() << "php is not installed (Debian package php-cli): the server scripts cannot run";
        ASSERT_TRUE(serverkit::PhpHasExtension(*php, "pdo_sqlite"))
            << "php lacks pdo_sqlite (Debian package php-sqlite3)";

        fs::create_directories(root_.Path() / "data");
        // Relative to the scripts' folder, outside the site.
        InstallCounter("counter-k7q2");
        for (const auto& [path, source] : kPages) {
            fs::create_directories(fs::path(Site(path)).parent_path());
            WriteWholeFile(Site(path), source);
        }
        web_.emplace(*php, Site(""), root_.File("php.log"), 2, std::vector<std::string>{"opcache.enable=0"});
        for (const auto& [path, source] : kPages) {
            const serverkit::HttpReply reply = View(path);
            ASSERT_EQ(reply.status, 200) << path << "\n" << serverkit::ReadLog(root_.File("php.log"));
            before_[path] = reply.body;
        }
    }

    std::string Site(const std::string& path) const { return root_.File("site") + path; }

    void InstallCounter(const std::string& folder)
    {
        serverkit::InstallScripts(std::string(TALLYWICK_SERVER_SCRIPTS) + "/counter", Site("/" + folder),
            ServerSettings{"", "sqlite:../../data/counter.sqlite", "", "", ""});
    }

    serverkit::HttpReply View(const std::string& path)
    {
        return serverkit::Visit(web_->Port(), path, {{"User-Agent", kBrowser}});
    }

    // "Prepare Web Pages" as the user runs it: the whole site, subfolders included.
    void Prepare(const std::string& counterFolder)
    {
        shown_.clear();
        net::HttpClient client([] {});
        ServerSettings settings;
        settings.siteUrl = web_->Url() + "/" + counterFolder;
        TMessageBox messages([this](const std::string& text, MessageKind, MessageButtons) {
            shown_.push_back(text);
            return true;
        });
        TPagePreparation run(client, settings, messages, nullptr, root_.Path().string(), nullptr, &status_, &gauge_,
            pageFiles_, nullptr, nullptr);
        run.SetShowModal([this](TfrmPrepare& window) {
            window.edtFolder->setText(QString::fromStdString(Site("")));
            window.chkSubFolders->setChecked(true);
            window.btnStart->click();
            return window.result();
        });
        run.Run();
    }

    // The page list as the program reads it: URL to hits.
    std::map<std::string, std::string> Hits(const std::string& counterFolder)
    {
        net::HttpClient client([] {});
        const std::string answer = net::PostForm(
            client, net::FormProfile::UserServer, web_->Url() + "/" + counterFolder, "actions.php", {{"action", "3"}});
        std::map<std::string, std::string> hits;
        for (const auto& row : RowsOf(ReadPageListAnswer(answer).rows))
            hits[row[0].substr(web_->Url().size())] = row[1];
        return hits;
    }

    // Every page answers 200 with what it printed before preparation, and PHP said nothing.
    // Pages are written back with CR LF line ends, which text outside the PHP code keeps.
    void ExpectEveryPageAsBefore()
    {
        for (const auto& [path, body] : before_) {
            const serverkit::HttpReply reply = View(path);
            EXPECT_EQ(reply.status, 200) << path;
            EXPECT_EQ(ReplaceAll(reply.body, "\r\n", "\n"), body) << path;
        }
        const std::string log = serverkit::ReadLog(root_.File("php.log"));
        for (const char* complaint : {"PHP Fatal", "PHP Parse", "PHP Warning", "PHP Notice", "PHP Deprecated"})
            EXPECT_EQ(log.find(complaint), std::string::npos) << log;
    }

    TempDir root_;
    std::optional<serverkit::PhpServer> web_;
    std::map<std::string, std::string> before_;
    std::vector<std::string> shown_;
    QLabel status_;
    QProgressBar gauge_;
    std::vector<std::string> pageFiles_;
};

TEST_F(PreparedSite, EveryPageStillAnswersAndCounts)
{
    Prepare("counter-k7q2");

    EXPECT_EQ(status_.text(), "Process Completed: 4 files modified");
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_NE(shown_[0].find("\nlegacy.php\n"), std::string::npos) << shown_[0];
    EXPECT_EQ(ReadWholeFile(Site("/legacy.php")), kPages.at("/legacy.php"));
    for (const auto& entry : fs::directory_iterator(Site("/counter-k7q2"))) {
        const std::string name = entry.path().filename().string();
        if (name != "config.php") {
            EXPECT_EQ(ReadWholeFile(entry.path().string()),
                ReadWholeFile(std::string(TALLYWICK_SERVER_SCRIPTS) + "/counter/" + name))
                << name;
        }
    }

    ExpectEveryPageAsBefore();
    std::map<std::string, std::string> expected;
    for (const std::string& path : kCounted)
        expected[path] = "1";
    EXPECT_EQ(Hits("counter-k7q2"), expected);
    net::HttpClient client([] {});
    EXPECT_EQ(net::PostForm(client, net::FormProfile::UserServer, web_->Url() + "/counter-k7q2", "actions.php",
                  {{"action", "1"}}),
        "OK");

    // A second run finds every include in place.
    std::map<std::string, std::string> prepared;
    for (const std::string& path : kCounted)
        prepared[path] = ReadWholeFile(Site(path));
    Prepare("counter-k7q2");
    EXPECT_EQ(status_.text(), "Process Completed: 4 files modified");
    for (const std::string& path : kCounted)
        EXPECT_EQ(ReadWholeFile(Site(path)), prepared[path]) << path;
}

TEST_F(PreparedSite, AMovedCounterFolderLeavesThePagesWorkingUntilTheNextRunPointsThemThere)
{
    Prepare("counter-k7q2");
    fs::rename(Site("/counter-k7q2"), Site("/stats-9x3"));

    ExpectEveryPageAsBefore();

    Prepare("stats-9x3");
    EXPECT_EQ(status_.text(), "Process Completed: 4 files modified");
    for (const std::string& path : kCounted) {
        const std::string page = ReadWholeFile(Site(path));
        EXPECT_EQ(page.find("counter-k7q2"), std::string::npos) << page;
        EXPECT_EQ(page.find("is_file("), page.rfind("is_file(")) << "a second include stacked on the first:\n" << page;
    }
    ExpectEveryPageAsBefore();
    std::map<std::string, std::string> expected;
    for (const std::string& path : kCounted)
        expected[path] = "1";
    EXPECT_EQ(Hits("stats-9x3"), expected) << "the views while the folder was away are lost, the next ones count";
}

} // namespace
