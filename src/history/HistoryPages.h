#pragma once

// Which pages a History window shows, and how its caption names them.

#include "history/HistoryRequest.h"

#include <QString>

#include <vector>

class TLinkListView;

// The checked rows of the page list when any are checked, else its selected row, else none,
// which stands for the whole site. A row without a page code (left by a broken answer) is
// no page the counter knows and is passed over.
std::vector<HistoryPage> PagesForHistory(const TLinkListView& lvwPages);

// "History: whole site", "History: " and the page's address, "History: 3 pages".
QString HistoryCaption(const std::vector<HistoryPage>& pages);
