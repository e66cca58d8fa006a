#pragma once

// The "Prepare Web Pages" command, owned by the main window: asks the user's server for the
// include path, lets the user pick the folder in TfrmPrepare, and prepares every .php page
// there while the main window's status bar shows how far it got.

#include "site/ServerSettings.h"
#include "ui/FolderChooser.h"

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QWidget;
class TfrmPrepare;
class TMessageBox;

namespace net {
class HttpClient;
}

class TPagePreparation {
public:
    // Lets pending window events be handled (repaint, input).
    using Pump = std::function<void()>;
    // Called with true before the pages are touched and with false when the run ends, however
    // it ends, so the main window can hold back every command that would start another
    // request or run meanwhile.
    using HoldCommands = std::function<void(bool hold)>;
    // Shows the window modally and gives its result (QDialog::Accepted for OK).
    using ShowModal = std::function<int(TfrmPrepare&)>;

    TPagePreparation(net::HttpClient& client, const ServerSettings& settings, TMessageBox& messages,
        FolderChooser folderChooser, std::string programDirectory, QWidget* parent, QLabel* statusPanel,
        QProgressBar* gauge, std::vector<std::string>& pageFiles, Pump pump, HoldCommands holdCommands);

    // In place of exec(), for tests that play the user.
    void SetShowModal(ShowModal showModal) { showModal_ = std::move(showModal); }

    // The body of SiteUrl + "/showmainpath.php", or an empty text when the request failed.
    std::string GetIncludePath();
    // Appends the .php pages of the folder (and of its subfolders when asked) to PageFiles, and
    // deletes what killed page writes left in the same folders.
    void CollectPageFiles(const std::string& folder, bool subFolders);
    // The whole command. A page that cannot be read or written throws std::runtime_error
    // naming it: the pages before it keep their change, the rest stay as they were.
    void Run();
    // What Run does once the user pressed Start: the walk, then every page with the status
    // bar following, then one message naming the pages that had to be left as they were.
    // Throws like Run.
    void PreparePages(const std::string& includePath, const std::string& folder, bool subFolders);

private:
    net::HttpClient& client_;
    const ServerSettings& settings_;
    TMessageBox& messages_;
    FolderChooser folderChooser_;
    std::string programDirectory_;
    QWidget* parent_;
    QLabel* statusPanel_;
    QProgressBar* gauge_;
    std::vector<std::string>& pageFiles_;
    Pump pump_;
    HoldCommands holdCommands_;
    ShowModal showModal_;
    bool running_ = false;
};
