#include "shell/FMain.h"
#include "ui/MessageBox.h"
#include "ui/Skin.h"
#include "ui/UnexpectedError.h"

#include <QDir>

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    ApplyWidgetStyle(application);

    AppContext context;
    context.programDirectory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
    context.updateBaseUrl = "http://updates.tallywick.example/liveupdate/tallywick/";

    TfrmMain window(std::move(context));
    application.SetUnexpectedErrorReporter(
        [&window](const std::string& text) { window.msgMain.Show(text, MessageKind::Warning, MessageButtons::Ok); });
    window.show();
    return application.exec();
}
