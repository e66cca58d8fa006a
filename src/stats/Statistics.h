#pragma once

// The hit statistics of the main window: the page list with its total, the referers of the
// selected page, and deleting page records. The main window owns one and routes its
// commands here; the widgets stay the window's.

#include "net/HttpClient.h"
#include "site/ServerSettings.h"
#include "stats/StatisticsAnswer.h"

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class TLinkListView;
class TMessageBox;

struct StatisticsView {
    TLinkListView* lvwPages;
    QLabel* lblTotalHits;
    TLinkListView* lvwReferers;
    QLabel* lblRefersHits;
    QComboBox* cbxQueryType;
    QComboBox* cbxRefType;
    QLabel* MainStatusPanel;
};

inline constexpr const char* kRefererTroubleText
    = "There is a trouble accessing this item, please check your settings and your internet connection.";
inline constexpr const char* kDeleteTroubleText
    = "There is a trouble deleting items, please check your settings and your internet connection.";

class TStatistics {
public:
    TStatistics(net::HttpClient& http, const ServerSettings& settings, TMessageBox& messages, StatisticsView view,
        std::function<void()> processPendingEvents);

    // Page list.
    bool CheckServer();
    bool RefreshPages();
    bool FillPageList(const std::string& answer);
    void btnRevfreshSegmentsClick();
    void btnSSelectAllClick();
    void btnSClearAllClick();

    // Referers of the selected page.
    bool LoadReferers(int queryType, int refererType, const std::string& pageCode);
    bool FillRefererList(const std::string& answer);
    void lvwPagesSelectItem(int row, bool selected);
    void cbxQueryTypeChange();
    void cbxRefTypeChange();

    // Deleting page records.
    std::string DeleteList() const;
    bool DeletePages(const std::string& deleteList);
    void btnDeleteSegClick();
    void bsSkinButton4Click();

private:
    std::string PostAction(const char* action, net::Form fields);
    // Posts a list request and fills from an answer that holds "OK"; "Getting data..." meanwhile.
    bool LoadList(const char* action, net::Form fields, const std::function<bool(const std::string&)>& fill);
    // Shows a read answer: its rows, and its total when every line made a row.
    bool ShowAnswer(StatisticsAnswer answer, TLinkListView* list, QLabel* totalLabel);
    void LoadReferersOfSelectedPage();
    // The hidden page code of a page-list row; a row left by a short answer line may have none.
    std::string PageCodeOf(int row) const;

    net::HttpClient& http_;
    const ServerSettings& settings_;
    TMessageBox& messages_;
    StatisticsView view_;
    std::function<void()> processPendingEvents_;
};
