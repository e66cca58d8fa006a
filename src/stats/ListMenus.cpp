// The context menus of the page list and the referer list.
#include "stats/ListCommands.h"

#include "stats/RowAddresses.h"
#include "text/TextRoutines.h"
#include "ui/LinkListView.h"
#include "ui/ListText.h"
#include "ui/Text.h"
#include "ui/UnexpectedError.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

namespace {

constexpr int kUrlColumn = 0;
constexpr int kPageCodeColumn = 2;
constexpr int kDomainColumn = 0;

template <class Work> void AddAction(QMenu& menu, const QString& text, Work work)
{
    menu.addAction(text, [work = std::move(work)] { RunGuarded(work); });
}

void SetClipboard(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

} // namespace

std::unique_ptr<QMenu> TListCommands::PageMenu(std::optional<int> row)
{
    TLinkListView& pages = *view_.lvwPages;
    auto menu = std::make_unique<QMenu>(&pages);
    // What the entries need of the row is taken now: while the menu is open, a request may
    // refill the list.
    std::string rowText;
    if (row) {
        const std::string url(pages.Cell(*row, kUrlColumn));
        const std::string pageCode(pages.Cell(*row, kPageCodeColumn));
        rowText = ListText(pages, std::vector<int>{*row}, ListTextFormat::TabSeparated);
        if (IsWebAddress(url))
            AddAction(*menu, QStringLiteral("Open Page"), [this, url] { openUrl_(url); });
        AddAction(*menu, QStringLiteral("Copy Address"), [url] { SetClipboard(ToDisplay(url)); });
        if (OnShowHistory) {
            AddAction(*menu, QStringLiteral("History"), [this, pageCode, url] { OnShowHistory(pageCode, url); });
            // The history is one more request.
            menu->actions().back()->setEnabled(commandsEnabled_);
        }
        menu->addSeparator();
    }
    AddAction(
        *menu, QStringLiteral("Copy"), [this, rowText] { CopyRowsOr(*view_.lvwPages, PageRowsToCopy(), rowText); });
    AddAction(*menu, QStringLiteral("Export CSV\u2026"), [this] { ExportPages(); });
    return menu;
}

std::unique_ptr<QMenu> TListCommands::RefererMenu(std::optional<int> row)
{
    TLinkListView& referers = *view_.lvwReferers;
    auto menu = std::make_unique<QMenu>(&referers);
    std::string rowText;
    if (row) {
        rowText = ListText(referers, std::vector<int>{*row}, ListTextFormat::TabSeparated);
        if (const std::optional<std::string> site = SiteAddressOf(referers.Cell(*row, kDomainColumn))) {
            AddAction(*menu, QStringLiteral("Open Site"), [this, address = *site] { openUrl_(address); });
            menu->addSeparator();
        }
    }
    AddAction(*menu, QStringLiteral("Copy"),
        [this, rowText] { CopyRowsOr(*view_.lvwReferers, view_.lvwReferers->SelectedRows(), rowText); });
    AddAction(*menu, QStringLiteral("Export CSV\u2026"), [this] { ExportReferers(); });
    return menu;
}

// The menu's Copy takes the rows Ctrl+C takes; with none of them, the row of the menu.
void TListCommands::CopyRowsOr(const TLinkListView& list, const std::vector<int>& rows, const std::string& rowText)
{
    if (!rows.empty())
        CopyRows(list, rows);
    else if (!rowText.empty())
        SetClipboard(QString::fromStdString(rowText));
}

void TListCommands::lvwPagesContextPopup(const QPoint& position)
{
    PopUp(*view_.lvwPages, PageMenu(RowAt(*view_.lvwPages, position)), position);
}

void TListCommands::lvwReferersContextPopup(const QPoint& position)
{
    PopUp(*view_.lvwReferers, RefererMenu(RowAt(*view_.lvwReferers, position)), position);
}

std::optional<int> TListCommands::RowAt(const TLinkListView& list, const QPoint& position)
{
    const QModelIndex index = list.indexAt(position);
    return index.isValid() ? std::optional<int>(index.row()) : std::nullopt;
}

void TListCommands::PopUp(TLinkListView& list, std::unique_ptr<QMenu> menu, const QPoint& position)
{
    menu->exec(list.viewport()->mapToGlobal(position));
}
