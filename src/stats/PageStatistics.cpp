// The page list: the server check, loading the list, and the check-box commands.
#include "stats/Statistics.h"
#include "stats/StatisticsAnswer.h"
#include "ui/LinkListView.h"

bool TStatistics::CheckServer()
{
    return PostAction("1", {}) == "OK";
}

bool TStatistics::RefreshPages()
{
    return LoadList("3", {}, [this](const std::string& answer) { return FillPageList(answer); });
}

bool TStatistics::FillPageList(const std::string& answer)
{
    return ShowAnswer(ReadPageListAnswer(answer), view_.lvwPages, view_.lblTotalHits);
}

void TStatistics::btnRevfreshSegmentsClick()
{
    if (CheckServer())
        RefreshPages();
}

void TStatistics::btnSSelectAllClick()
{
    view_.lvwPages->SetAllChecked(true);
}

void TStatistics::btnSClearAllClick()
{
    view_.lvwPages->SetAllChecked(false);
}
