#pragma once

// A branded main window against one loopback server that plays the news server (under
// "/news/"), the update server (under "/liveupdate/tallywick/") and the user's counter
// server (under "/counter"), so the order of every request shows in one record.

#include "branding/BrandingInfo.h"
#include "shell/FMain.h"
#include "support/FakeLauncher.h"
#include "support/RecordingServer.h"
#include "support/TempDir.h"
#include "support/TestMain.h"
#include "ui/MessageBox.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDialog;

struct Message {
    std::string text;
    MessageKind kind;
    MessageButtons buttons;
    bool operator==(const Message&) const = default;
};
void PrintTo(const Message& message, std::ostream* out);
// Bytes for a test's name: quoted and escaped, cut after 60 of them.
std::string Shown(const std::string& bytes);

inline constexpr const char* kPublisherId = "pub-7";
inline constexpr const char* kProductCode = "TW-100";

// The value of a form field, "" when the request has none.
std::string FieldOf(const RecordedRequest& request, const std::string& name);

class BrandedWindow : public testing::Test {
protected:
    BrandedWindow();

    // A main window whose branding is `branding`; its start-up timer is stopped unless asked.
    std::unique_ptr<TfrmMain> Open(const BrandingInfo& branding, bool keepTimer = false);
    std::unique_ptr<TfrmMain> Open(bool keepTimer = false) { return Open(Branding("Master"), keepTimer); }
    // A branding of that tier whose news base URLs point at the test server.
    BrandingInfo Branding(const std::string& tier) const;

    std::string NewsBase() const { return server.Url("/news"); }
    std::string UpdateBase() const { return server.Url("/liveupdate/tallywick/"); }
    void AnswerNews(const std::string& script, ServerAnswer answer) { server.Answer("/news/" + script, answer); }
    void PublishVersion(const std::string& fileText)
    {
        server.Answer("/liveupdate/tallywick/mainappupdate.inf", ServerAnswer::Text(fileText));
    }
    std::vector<RecordedRequest> RequestsTo(const std::string& path) const;

    TempDir folder;
    RecordingServer server;
    FakeLauncher launcher;
    std::string programDirectory; // the temporary folder unless a test changes it
    std::vector<Message> messages;
    std::deque<bool> answers; // the user's answers to the questions, in turn; OK once they run out
    std::string storedNewsId; // what the branding file holds as LastNewsId
    std::vector<std::string> writtenNewsIds;
    std::function<int(QDialog&)> answerDialog;
    bool useBrandingFile = false; // LastNewsId and the branding from dbsettings.dat, not from the test
    std::string welcomeText; // a welcome page the window opens on
};
