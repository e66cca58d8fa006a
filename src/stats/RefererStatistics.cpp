// The referers of the page selected in the page list.
#include "stats/Statistics.h"
#include "stats/StatisticsAnswer.h"
#include "ui/LinkListView.h"
#include "ui/MessageBox.h"

#include <QComboBox>

bool TStatistics::LoadReferers(int queryType, int refererType, const std::string& pageCode)
{
    return LoadList("4",
        {{"querytype", std::to_string(queryType)}, {"reftype", std::to_string(refererType + 1)}, {"pagecod", pageCode}},
        [this](const std::string& answer) { return FillRefererList(answer); });
}

bool TStatistics::FillRefererList(const std::string& answer)
{
    return ShowAnswer(ReadRefererAnswer(answer), view_.lvwReferers, view_.lblRefersHits);
}

void TStatistics::LoadReferersOfSelectedPage()
{
    const std::optional<int> row = view_.lvwPages->SelectedRow();
    if (!row)
        return;
    if (!LoadReferers(view_.cbxQueryType->currentIndex(), view_.cbxRefType->currentIndex(), PageCodeOf(*row)))
        messages_.Show(kRefererTroubleText, MessageKind::Warning, MessageButtons::Ok);
}

void TStatistics::lvwPagesSelectItem(int, bool selected)
{
    if (selected)
        LoadReferersOfSelectedPage();
}

void TStatistics::cbxQueryTypeChange()
{
    LoadReferersOfSelectedPage();
}

void TStatistics::cbxRefTypeChange()
{
    LoadReferersOfSelectedPage();
}
