// The filter of the page list: which pages it shows, how many of how many, and Delete All,
// which would delete the hidden pages too.
#include "stats/ListCommands.h"

#include "text/TextRoutines.h"
#include "ui/LinkListView.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdint>

namespace {

constexpr int kHitsColumn = 1;

} // namespace

void TListCommands::edtPageFilterChange()
{
    view_.lvwPages->SetFilter(view_.edtPageFilter->text());
}

void TListCommands::ShowFilterState()
{
    const TLinkListView& pages = *view_.lvwPages;
    const int shown = pages.RowCount();
    const int total = pages.TotalRowCount();
    if (shown < total) {
        std::int64_t hits = 0;
        for (int row = 0; row < shown; ++row)
            hits += Int32OrZero(pages.Cell(row, kHitsColumn));
        view_.lblPageFilter->setText(QStringLiteral("%1 of %2 pages, %3 hits").arg(shown).arg(total).arg(hits));
    } else {
        view_.lblPageFilter->clear();
    }
    ShowDeleteAllState();
}

void TListCommands::ShowDeleteAllState()
{
    const bool hidesPages = view_.lvwPages->RowCount() < view_.lvwPages->TotalRowCount();
    view_.bsSkinButton4->setEnabled(commandsEnabled_ && !hidesPages);
    view_.bsSkinButton4->setToolTip(hidesPages ? QString::fromLatin1(kClearFilterToDeleteAllText) : QString());
}
