#pragma once

// The news commands of the main window, owned by it: "Check News" with the news window, the
// start-up check for a news item newer than the one read last, and the balloon that tells
// of it at the "Check News" button.

#include "branding/BrandingInfo.h"
#include "news/NewsClient.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;
class TfrmNews;
class TMessageBox;
class TMessageHint;

inline constexpr const char* kNoNewsText = "There's no news for this application!";
inline constexpr const char* kNewMessageText = "You've Got A Message!";

// Where LastNewsId is kept: the owner's functions, looked at each time they are needed. An
// empty read gives "" and an empty write stores nothing.
struct LastNewsIdStore {
    const std::function<std::string()>& read;
    const std::function<void(const std::string&)>& write;
};

class TNewsCommands {
public:
    // Shows the news window modally and gives its result.
    using ShowModal = std::function<int(TfrmNews&)>;

    TNewsCommands(net::HttpClient& client, const BrandingInfo& branding, std::vector<std::string>& newsList,
        TMessageBox& messages, LastNewsIdStore lastNewsId, TMessageHint& hint, QWidget* mainWindow, QWidget* btnNews,
        ShowModal showModal);

    TNewsClient& Client() { return client_; }

    void btnNewsClick();
    // Asks for the newest item and, when its id is above LastNewsId, shows the balloon with
    // its title. Shows no message box, whatever the outcome.
    void CheckForNewMessage();
    // The text in the balloon, its pointer on the centre of the "Check News" button.
    void ShowMessageHint(const std::string& text);

    // Receives the address of a link clicked in a news item.
    std::function<void(const std::string&)> OnOpenLink;

private:
    TNewsClient client_;
    const BrandingInfo& branding_;
    std::vector<std::string>& newsList_;
    TMessageBox& messages_;
    LastNewsIdStore lastNewsId_;
    TMessageHint& hint_;
    QWidget* mainWindow_;
    QWidget* btnNews_;
    ShowModal showModal_;
};
