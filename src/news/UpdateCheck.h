#pragma once

// The update check, owned by the main window: fetches mainappupdate.inf from the update
// directory into the program directory, asks the user about a newer version, and starts
// Updater.exe beside the program before the main window closes.

#include <functional>
#include <string>

class TMessageBox;

namespace net {
class HttpClient;
}
namespace platform {
class Launcher;
}

inline constexpr const char* kUpdateFileName = "mainappupdate.inf";
inline constexpr const char* kUpdaterFileName = "Updater.exe";
inline constexpr const char* kNoUpdateText = "There's no new updates for this application!";
inline constexpr const char* kUpdaterMissingText
    = "The updater module is missing. Please reinstall again the current version!";

class TUpdateCheck {
public:
    TUpdateCheck(net::HttpClient& client, std::string programDirectory, std::string updateBaseUrl,
        std::string appVersion, TMessageBox& messages, platform::Launcher& launcher,
        std::function<void()> closeMainWindow);

    // Silent only keeps the "no update" report back; the questions and the warning always show.
    void CheckForUpdate(bool Silent);

private:
    // True when the file is in the program directory; every failure, one to create it
    // included, is the no-update outcome, and so is an empty update address (no server).
    bool DownloadUpdateFile(const std::string& localPath);

    net::HttpClient& client_;
    std::string programDirectory_;
    std::string updateBaseUrl_;
    std::string appVersion_;
    TMessageBox& messages_;
    platform::Launcher& launcher_;
    std::function<void()> closeMainWindow_;
};
