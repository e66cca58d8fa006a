#include "platform/FolderAccess.h"
#include "shell/CommandLine.h"
#include "shell/FMain.h"
#include "site/SettingsFolder.h"
#include "ui/MessageBox.h"
#include "ui/Skin.h"
#include "ui/UnexpectedError.h"

#include <QDir>
#include <QStandardPaths>

#include <iostream>

namespace {

// ~/.config/tallywick on Linux: the folder of an installed copy's settings.
std::string UserSettingsFolder()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        return {};
    return QDir::toNativeSeparators(config + QStringLiteral("/tallywick")).toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    // Before the application object, which would need a display.
    if (const std::optional<int> exitCode
        = AnswerCommandLine({argv + 1, static_cast<std::size_t>(argc > 1 ? argc - 1 : 0)}, std::cout, std::cerr))
        return *exitCode;

    TApplication application(argc, argv);
    ApplyWidgetStyle(application);
    application.setWindowIcon(BuiltInIcon());
    application.setDesktopFileName(QStringLiteral("example.tallywick.Tallywick"));

    AppContext context;
    context.programDirectory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    context.settingsDirectory
        = ChooseSettingsFolder(context.programDirectory, UserSettingsFolder(), platform::CanWriteFolder);
    context.updateBaseUrl = TALLYWICK_UPDATE_BASE_URL; // chosen when the build is configured

    TfrmMain window(std::move(context));
    application.SetUnexpectedErrorReporter(
        [&window](const std::string& text) { window.msgMain.Show(text, MessageKind::Warning, MessageButtons::Ok); });
    window.show();
    return application.exec();
}
