// Deleting page records on the server: the checked ones, or all of them.
#include "net/Requests.h"
#include "stats/Statistics.h"
#include "ui/LinkListView.h"
#include "ui/MessageBox.h"

std::string TStatistics::DeleteList() const
{
    std::string list;
    for (int i = 0; i < view_.lvwPages->RowCount(); ++i) {
        if (!view_.lvwPages->IsChecked(i))
            continue;
        // The server takes the list as it comes: an empty code still costs a comma after the first.
        if (!list.empty())
            list += ',';
        list += PageCodeOf(i);
    }
    return list;
}

bool TStatistics::DeletePages(const std::string& deleteList)
{
    return PostAction("2", {{"deleteids", deleteList}}) == "OK";
}

void TStatistics::btnDeleteSegClick()
{
    const std::string list = DeleteList();
    if (list.empty())
        return;
    if (!messages_.Show(
            "Are you sure do you want to delete the selected items?", MessageKind::Warning, MessageButtons::OkCancel))
        return;
    if (DeletePages(list))
        RefreshPages();
    else
        messages_.Show(kDeleteTroubleText, MessageKind::Warning, MessageButtons::Ok);
}

void TStatistics::bsSkinButton4Click()
{
    if (view_.lvwPages->RowCount() == 0)
        return;
    // "all" deletes the pages a filter hides as well; the button is disabled while it does.
    if (view_.lvwPages->RowCount() < view_.lvwPages->TotalRowCount())
        return;
    if (!messages_.Show("Are you sure do you want to delete all?.", MessageKind::Warning, MessageButtons::OkCancel))
        return;
    if (DeletePages("all"))
        RefreshPages();
    else
        messages_.Show(kDeleteTroubleText, MessageKind::Warning, MessageButtons::Ok);
}
