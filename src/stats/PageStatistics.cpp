// The page list: the server check, loading the list, and the check-box commands.
#include "stats/CounterErrors.h"
#include "stats/Statistics.h"
#include "stats/StatisticsAnswer.h"
#include "ui/LinkListView.h"

#include <QLabel>

bool TStatistics::CheckServer()
{
    const std::string answer = PostAction("1", {});
    // The counter's own error words say what the owner can fix; any other failure stays silent.
    if (const char* problem = CounterErrorText(answer))
        view_.MainStatusPanel->setText(QString::fromUtf8(problem));
    return answer == "OK";
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
