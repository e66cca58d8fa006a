#include "news/UpdateCheck.h"

#include "net/Requests.h"
#include "news/UpdateFile.h"
#include "platform/Launcher.h"
#include "ui/MessageBox.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string ProgramFile(const std::string& programDirectory, const char* name)
{
    return (std::filesystem::path(programDirectory) / name).string();
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

} // namespace

TUpdateCheck::TUpdateCheck(net::HttpClient& client, std::string programDirectory, std::string updateBaseUrl,
    std::string appVersion, TMessageBox& messages, platform::Launcher& launcher, std::function<void()> closeMainWindow)
    : client_(client),
      programDirectory_(std::move(programDirectory)),
      updateBaseUrl_(std::move(updateBaseUrl)),
      appVersion_(std::move(appVersion)),
      messages_(messages),
      launcher_(launcher),
      closeMainWindow_(std::move(closeMainWindow))
{ }

bool TUpdateCheck::DownloadUpdateFile(const std::string& localPath)
{
    if (updateBaseUrl_.empty())
        return false;
    try {
        return net::DownloadFile(client_, updateBaseUrl_ + kUpdateFileName, localPath) && Exists(localPath);
    } catch (const std::exception&) {
        // A program directory without write access: no update can be fetched, as when offline.
        return false;
    }
}

void TUpdateCheck::CheckForUpdate(bool Silent)
{
    const std::string localPath = ProgramFile(programDirectory_, kUpdateFileName);
    const std::string version = DownloadUpdateFile(localPath) ? ReadPublishedVersion(ReadFileBytes(localPath)) : "";
    if (!IsNewerVersion(version, appVersion_)) {
        if (!Silent)
            messages_.Show(kNoUpdateText, MessageKind::Information, MessageButtons::Ok);
        return;
    }
    if (!messages_.Show("There is a new update: (version " + version
                + ") available for your application!. Do you want download this update now?",
            MessageKind::Information, MessageButtons::OkCancel))
        return;
    const std::string updater = ProgramFile(programDirectory_, kUpdaterFileName);
    if (!Exists(updater)) {
        messages_.Show(kUpdaterMissingText, MessageKind::Warning, MessageButtons::Ok);
        return;
    }
    if (!messages_.Show("To update your software the application will close to\n\rreplace some files. Do you want to "
                        "update now?",
            MessageKind::Information, MessageButtons::OkCancel))
        return;
    // Whether the updater really started is not known here; the program closes all the same
    // so that the updater can replace its files.
    launcher_.StartDetached(updater, {updateBaseUrl_, appVersion_, "A"});
    closeMainWindow_();
}
