#include "history/HistoryPages.h"

#include "ui/LinkListView.h"
#include "ui/Text.h"

namespace {

// A page-list row: the address, the hits, the hidden page code.
constexpr int kUrlCell = 0;
constexpr int kPageCodeCell = 2;

void AddPage(const TLinkListView& list, int row, std::vector<HistoryPage>& pages)
{
    const std::string_view code = list.Cell(row, kPageCodeCell);
    if (!code.empty())
        pages.push_back({std::string(code), std::string(list.Cell(row, kUrlCell))});
}

} // namespace

std::vector<HistoryPage> PagesForHistory(const TLinkListView& lvwPages)
{
    std::vector<HistoryPage> pages;
    for (int row = 0; row < lvwPages.RowCount(); ++row)
        if (lvwPages.IsChecked(row))
            AddPage(lvwPages, row, pages);
    if (pages.empty())
        if (const std::optional<int> selected = lvwPages.SelectedRow())
            AddPage(lvwPages, *selected, pages);
    return pages;
}

QString HistoryCaption(const std::vector<HistoryPage>& pages)
{
    if (pages.empty())
        return QStringLiteral("History: whole site");
    if (pages.size() == 1)
        return QStringLiteral("History: ") + ToDisplay(pages.front().url);
    return QStringLiteral("History: %1 pages").arg(pages.size());
}
