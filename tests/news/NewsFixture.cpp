#include "news/NewsFixture.h"

#include <QDialog>
#include <QTimer>

#include <ostream>

void PrintTo(const Message& message, std::ostream* out)
{
    *out << '"' << message.text << "\" (" << (message.kind == MessageKind::Warning ? "warning" : "information") << ", "
         << (message.buttons == MessageButtons::Ok ? "OK" : "OK and Cancel") << ')';
}

std::string Shown(const std::string& bytes)
{
    return bytes.size() <= 60 ? testing::PrintToString(bytes) : testing::PrintToString(bytes.substr(0, 60)) + "...";
}

std::string FieldOf(const RecordedRequest& request, const std::string& name)
{
    for (const auto& [field, value] : request.Fields())
        if (field == name)
            return value;
    return {};
}

BrandedWindow::BrandedWindow()
    : programDirectory(folder.Path().string())
{ }

BrandingInfo BrandedWindow::Branding(const std::string& tier) const
{
    BrandingInfo branding;
    branding.ApplicationName = "Counter Pro";
    branding.BranderCode = kProductCode;
    branding.BranderType = tier;
    branding.MasterNewsBaseURL = NewsBase();
    branding.PlatinumNewsBaseURL = NewsBase();
    branding.GoldNewsBaseURL = NewsBase();
    branding.MasterPublID = kPublisherId;
    branding.PlatinumPublID = kPublisherId;
    branding.GoldPublID = kPublisherId;
    return branding;
}

std::unique_ptr<TfrmMain> BrandedWindow::Open(const BrandingInfo& branding, bool keepTimer)
{
    AppContext context;
    context.programDirectory = programDirectory;
    context.updateBaseUrl = UpdateBase();
    context.launcher = &launcher;
    context.messageResponder = [this](const std::string& text, MessageKind kind, MessageButtons buttons) {
        messages.push_back({text, kind, buttons});
        if (answers.empty())
            return true;
        const bool ok = answers.front();
        answers.pop_front();
        return ok;
    };
    context.showModal = [this](QDialog& dialog) { return answerDialog ? answerDialog(dialog) : 0; };
    context.welcomeText = welcomeText;
    if (!useBrandingFile) {
        context.readLastNewsId = [this] { return storedNewsId; };
        context.writeLastNewsId = [this](const std::string& id) {
            storedNewsId = id;
            writtenNewsIds.push_back(id);
        };
    }
    auto window = std::make_unique<TfrmMain>(std::move(context));
    if (!keepTimer)
        window->Timer1->stop();
    if (!useBrandingFile)
        window->BrandingInfo = branding;
    window->ServerSettings.siteUrl = server.Url("/counter");
    return window;
}

std::vector<RecordedRequest> BrandedWindow::RequestsTo(const std::string& path) const
{
    std::vector<RecordedRequest> found;
    for (const RecordedRequest& request : server.Requests())
        if (request.path == path)
            found.push_back(request);
    return found;
}
