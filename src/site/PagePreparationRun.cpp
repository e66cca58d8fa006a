#include "site/PagePreparationRun.h"

#include "net/Requests.h"
#include "site/FPrepare.h"
#include "site/PagePreparation.h"
#include "ui/MessageBox.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Gives the main window's commands back however the run ends, an exception included.
class CommandsHeld {
public:
    explicit CommandsHeld(const TPagePreparation::HoldCommands& hold)
        : hold_(hold)
    {
        if (hold_)
            hold_(true);
    }
    ~CommandsHeld()
    {
        if (hold_)
            hold_(false);
    }
    CommandsHeld(const CommandsHeld&) = delete;
    CommandsHeld& operator=(const CommandsHeld&) = delete;

private:
    const TPagePreparation::HoldCommands& hold_;
};

class Running {
public:
    explicit Running(bool& flag)
        : flag_(flag)
    {
        flag_ = true;
    }
    ~Running() { flag_ = false; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    bool& flag_;
};

// The pages a run left as they were, named from the chosen folder, with what to do by hand.
std::string LeftAloneMessage(
    const std::vector<std::string>& pages, const std::string& folder, const std::string& includePath)
{
    constexpr size_t kNamed = 20;
    std::string text = "These pages begin with declare(...) or namespace, and the counter's include could not be "
                       "placed in them with certainty, so they were left as they were:\n\n";
    for (size_t i = 0; i < pages.size() && i < kNamed; ++i) {
        const std::string& page = pages[i];
        const bool inFolder = page.size() > folder.size() + 1 && page.compare(0, folder.size(), folder) == 0;
        text += (inFolder ? page.substr(folder.size() + 1) : page) + "\n";
    }
    if (pages.size() > kNamed)
        text += "... and " + std::to_string(pages.size() - kNamed) + " more\n";
    return text
        + "\nTo count their views, add this statement to each of them by hand, right behind its declare(...) "
          "and namespace statements (inside the braces of a braced namespace):\n\n"
        + IncludeStatement(includePath);
}

} // namespace

TPagePreparation::TPagePreparation(net::HttpClient& client, const ServerSettings& settings, TMessageBox& messages,
    FolderChooser folderChooser, std::string programDirectory, QWidget* parent, QLabel* statusPanel,
    QProgressBar* gauge, std::vector<std::string>& pageFiles, Pump pump, HoldCommands holdCommands)
    : client_(client),
      settings_(settings),
      messages_(messages),
      folderChooser_(std::move(folderChooser)),
      programDirectory_(std::move(programDirectory)),
      parent_(parent),
      statusPanel_(statusPanel),
      gauge_(gauge),
      pageFiles_(pageFiles),
      pump_(std::move(pump)),
      holdCommands_(std::move(holdCommands)),
      showModal_([](TfrmPrepare& window) { return window.exec(); })
{ }

std::string TPagePreparation::GetIncludePath()
{
    std::string body;
    if (!net::HttpGetText(client_, settings_.siteUrl + "/showmainpath.php", body))
        return {};
    return body;
}

void TPagePreparation::CollectPageFiles(const std::string& folder, bool subFolders)
{
    SiteWalk walk = WalkSite(folder, subFolders);
    // Before any page is written, so that no copy of a page's source goes up with the site.
    RemovePageWriteLeftovers(walk.leftovers);
    pageFiles_.insert(
        pageFiles_.end(), std::make_move_iterator(walk.pages.begin()), std::make_move_iterator(walk.pages.end()));
}

void TPagePreparation::Run()
{
    // Events handled while we wait or write could press the button again.
    if (running_)
        return;
    Running running(running_);

    pageFiles_.clear();
    const std::optional<std::string> includePath = IncludePathFromAnswer(GetIncludePath());
    if (!includePath) {
        messages_.Show("There is a problem to get the Code to Insert, please verify your settings.",
            MessageKind::Information, MessageButtons::Ok);
        return;
    }

    TfrmPrepare window(messages_, folderChooser_, programDirectory_, parent_);
    window.edtCode->setText(ToDisplay(IncludeLine(*includePath)));
    // The line is longer than the edit: show how it begins.
    window.edtCode->setCursorPosition(0);
    if (showModal_(window) != QDialog::Accepted)
        return;
    PreparePages(*includePath, window.Folder(), window.chkSubFolders->isChecked());
}

void TPagePreparation::PreparePages(const std::string& includePath, const std::string& folder, bool subFolders)
{
    CommandsHeld held(holdCommands_);
    auto pump = [this] {
        if (pump_)
            pump_();
    };

    statusPanel_->setText(QStringLiteral("Preparing Pages..."));
    pump();
    CollectPageFiles(folder, subFolders);

    const int count = static_cast<int>(pageFiles_.size());
    // A bar whose maximum is 0 would show the endless busy animation: keep it still instead.
    gauge_->setRange(0, count > 0 ? count : 1);
    gauge_->setValue(0);
    int written = 0;
    std::vector<std::string> leftAlone;
    for (int n = 1; n <= count; ++n) {
        gauge_->setValue(n);
        pump();
        const std::string& page = pageFiles_[static_cast<size_t>(n - 1)];
        const PageFileResult result = PreparePageFile(page, includePath);
        if (!result.error.empty())
            throw std::runtime_error(result.error);
        if (result.leftAlone)
            leftAlone.push_back(page);
        else
            ++written;
    }

    statusPanel_->setText(QStringLiteral("Process Completed: %1 files modified").arg(written));
    pump();
    if (!leftAlone.empty())
        messages_.Show(LeftAloneMessage(leftAlone, folder, includePath), MessageKind::Information, MessageButtons::Ok);
}
