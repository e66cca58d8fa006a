#include "news/NewsCommands.h"

#include "news/FNews.h"
#include "text/TextRoutines.h"
#include "ui/MessageBox.h"
#include "ui/MessageHint.h"
#include "ui/Text.h"

#include <QWidget>

TNewsCommands::TNewsCommands(net::HttpClient& client, const BrandingInfo& branding, std::vector<std::string>& newsList,
    TMessageBox& messages, LastNewsIdStore lastNewsId, TMessageHint& hint, QWidget* mainWindow, QWidget* btnNews,
    ShowModal showModal)
    : client_(client, branding, messages),
      branding_(branding),
      newsList_(newsList),
      messages_(messages),
      lastNewsId_(lastNewsId),
      hint_(hint),
      mainWindow_(mainWindow),
      btnNews_(btnNews),
      showModal_(std::move(showModal))
{ }

void TNewsCommands::btnNewsClick()
{
    newsList_.clear();
    bool fetched = false;
    if (const auto tier = NewsTierFor(branding_))
        fetched = client_.FetchNewsList(
            tier->publisherId, branding_.BranderCode, tier->productType, kNewsTarget, newsList_);
    if (!fetched || newsList_.empty()) {
        messages_.Show(kNoNewsText, MessageKind::Information, MessageButtons::Ok);
        return;
    }
    TfrmNews window(newsList_, branding_, client_, lastNewsId_.write, mainWindow_);
    window.OnOpenLink = OnOpenLink;
    if (showModal_)
        showModal_(window);
    else
        window.exec();
}

void TNewsCommands::CheckForNewMessage()
{
    const auto tier = NewsTierFor(branding_);
    if (!tier)
        return;
    std::string id, title;
    if (!client_.FetchLatestNews(tier->publisherId, branding_.BranderCode, tier->productType, kNewsTarget, id, title))
        return;
    // Ids compare as numbers; one that is not a number counts as 0, the stored one too.
    const std::string stored = lastNewsId_.read ? lastNewsId_.read() : std::string();
    if (Int32OrZero(id) > Int32OrZero(stored))
        ShowMessageHint(std::string(kNewMessageText) + "\r\n" + title);
}

void TNewsCommands::ShowMessageHint(const std::string& text)
{
    // The button's place in its toolbar, which lies at the top left of the window's client area.
    const QRect button = btnNews_->geometry();
    const QPoint centre(button.left() + button.width() / 2, button.top() + button.height() / 2);
    hint_.ShowMessage(ToDisplay(text), mainWindow_->mapToGlobal(centre));
}
