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
    const std::string includeLine = IncludeLine(*includePath);

    TfrmPrepare window(messages_, folderChooser_, programDirectory_, parent_);
    window.edtCode->setText(ToDisplay(includeLine));
    if (showModal_(window) != QDialog::Accepted)
        return;
    PreparePages(includeLine, window.Folder(), window.chkSubFolders->isChecked());
}

void TPagePreparation::PreparePages(const std::string& includeLine, const std::string& folder, bool subFolders)
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
    for (int n = 1; n <= count; ++n) {
        gauge_->setValue(n);
        pump();
        const std::string error = PreparePageFile(pageFiles_[static_cast<size_t>(n - 1)], includeLine);
        if (!error.empty())
            throw std::runtime_error(error);
    }

    statusPanel_->setText(QStringLiteral("Process Completed: %1 files modified").arg(count));
    pump();
}
