#include "stats/Statistics.h"

#include "net/Requests.h"
#include "stats/StatisticsAnswer.h"
#include "ui/LinkListView.h"

#include <QLabel>

TStatistics::TStatistics(net::HttpClient& http, const ServerSettings& settings, TMessageBox& messages,
    StatisticsView view, std::function<void()> processPendingEvents)
    : http_(http),
      settings_(settings),
      messages_(messages),
      view_(view),
      processPendingEvents_(std::move(processPendingEvents))
{ }

std::string TStatistics::PostAction(const char* action, net::Form fields)
{
    fields.insert(fields.begin(), {"action", action});
    return net::PostForm(http_, net::FormProfile::UserServer, settings_.siteUrl, "actions.php", fields);
}

bool TStatistics::LoadList(const char* action, net::Form fields, const std::function<bool(const std::string&)>& fill)
{
    view_.MainStatusPanel->setText(QStringLiteral("Getting data..."));
    struct ClearStatus {
        QLabel* panel;
        ~ClearStatus() { panel->setText(QString()); }
    } clearStatus{view_.MainStatusPanel};

    std::string answer = PostAction(action, std::move(fields));
    if (answer.find("OK") != std::string::npos) {
        // Reading the answer is part of the request: any failure there fails the request.
        try {
            if (!fill(answer))
                answer = "BAD";
        } catch (const std::exception&) {
            answer = "BAD";
        }
    }
    return answer.find("OK") != std::string::npos;
}

bool TStatistics::ShowAnswer(StatisticsAnswer answer, TLinkListView* list, QLabel* totalLabel)
{
    list->SetRows(std::move(answer.rows));
    if (answer.outcome == StatisticsAnswer::Outcome::StoppedShort)
        return false;
    if (answer.outcome == StatisticsAnswer::Outcome::Complete) {
        totalLabel->setText(QStringLiteral("Total: %1 hits").arg(answer.total));
        processPendingEvents_();
    }
    return true;
}

std::string TStatistics::PageCodeOf(int row) const
{
    constexpr int pageCodeCell = 2;
    return std::string(view_.lvwPages->Cell(row, pageCodeCell));
}
