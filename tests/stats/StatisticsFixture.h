#pragma once

// The main window against a loopback server whose answers each test sets per action, with
// the user's answers to message boxes recorded.

#include "shell/FMain.h"
#include "stats/Statistics.h"
#include "support/FakeLauncher.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"
#include "ui/LinkListView.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

inline const char* kTwoPages = R"("17","/index.php","250"^"18","/contact.php","12"^OK)";
inline const char* kThreePages = R"("17","/a.php","1"^"18","/b.php","2"^"20","/c.php","3"^OK)";

inline std::string ActionOf(const RecordedRequest& request)
{
    for (const auto& [name, value] : request.Fields())
        if (name == "action")
            return value;
    return {};
}

struct Message {
    std::string text;
    MessageKind kind;
    MessageButtons buttons;
};

class Statistics : public testing::Test {
protected:
    Statistics()
    {
        AppContext context;
        context.programDirectory = folder.Path().string();
        context.launcher = &launcher;
        context.messageResponder = [this](const std::string& text, MessageKind kind, MessageButtons buttons) {
            messages.push_back({text, kind, buttons});
            return answerOk;
        };
        context.chooseSaveFile = [this](QWidget*, const std::string&, const std::string& suggested) {
            suggestedPaths.push_back(suggested);
            return savePath;
        };
        window = std::make_unique<TfrmMain>(std::move(context));
        window->Timer1->stop();
        window->ServerSettings.siteUrl = server.Url();
        server.Answer("/actions.php", [this](const RecordedRequest& request) {
            const auto answer = answers.find(ActionOf(request));
            return answer == answers.end() ? ServerAnswer::Text("BAD ACTION") : answer->second;
        });
    }

    // The actions the server received, in order, each as its form fields.
    std::vector<FieldList> Posted() const
    {
        std::vector<FieldList> forms;
        for (const RecordedRequest& request : server.Requests())
            forms.push_back(request.Fields());
        return forms;
    }

    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (int i = 0; i < window->lvwPages->RowCount(); ++i)
            captions.emplace_back(window->lvwPages->Cell(i, 0));
        return captions;
    }

    void LoadPages(const char* answer)
    {
        answers["3"] = ServerAnswer::Text(answer);
        ASSERT_TRUE(window->RefreshPages());
    }

    int RowOf(const std::string& caption) const
    {
        for (int i = 0; i < window->lvwPages->RowCount(); ++i)
            if (window->lvwPages->Cell(i, 0) == caption)
                return i;
        return -1;
    }

    TempDir folder;
    RecordingServer server;
    FakeLauncher launcher;
    std::map<std::string, ServerAnswer> answers;
    std::vector<Message> messages;
    bool answerOk = true;
    std::optional<std::string> savePath; // the save dialog's answer; nothing: Cancel
    std::vector<std::string> suggestedPaths;
    std::unique_ptr<TfrmMain> window;
};
