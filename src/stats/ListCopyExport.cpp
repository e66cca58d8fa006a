// Rows out of the lists: copied for a spreadsheet, or exported to a CSV file.
#include "stats/ListCommands.h"

#include "ui/LinkListView.h"
#include "ui/ListText.h"
#include "ui/MessageBox.h"
#include "ui/SaveFileChooser.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

#include <filesystem>
#include <numeric>

namespace {

constexpr int kPageHitsColumn = 1;
constexpr int kRefererHitsColumn = 3;

} // namespace

std::vector<int> TListCommands::PageRowsToCopy() const
{
    std::vector<int> rows = view_.lvwPages->SelectedRows();
    if (!rows.empty())
        return rows;
    for (int row = 0; row < view_.lvwPages->RowCount(); ++row)
        if (view_.lvwPages->IsChecked(row))
            rows.push_back(row);
    return rows;
}

void TListCommands::CopyPages()
{
    CopyRows(*view_.lvwPages, PageRowsToCopy());
}

void TListCommands::CopyReferers()
{
    CopyRows(*view_.lvwReferers, view_.lvwReferers->SelectedRows());
}

void TListCommands::CopyRows(const TLinkListView& list, const std::vector<int>& rows)
{
    if (rows.empty())
        return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(ListText(list, rows, ListTextFormat::TabSeparated)));
}

void TListCommands::ExportPages()
{
    Export(*view_.lvwPages, "pages.csv", {kPageHitsColumn});
}

void TListCommands::ExportReferers()
{
    Export(*view_.lvwReferers, "referers.csv", {kRefererHitsColumn});
}

void TListCommands::Export(const TLinkListView& list, const char* suggestedName, std::vector<int> integerColumns)
{
    const std::filesystem::path folder = exportFolder_.empty() ? QDir::homePath().toStdString() : exportFolder_;
    const std::optional<std::string> path = ExportToChosenFile(
        chooseSaveFile_, dialogParent_, (folder / suggestedName).string(),
        [&] {
            // The rows as they are now: a request may have refilled the list while the dialog was open.
            std::vector<int> rows(static_cast<size_t>(list.RowCount()));
            std::iota(rows.begin(), rows.end(), 0);
            return ListText(list, rows, ListTextFormat::Csv, integerColumns);
        },
        messages_, "The list");
    if (path)
        exportFolder_ = std::filesystem::path(*path).parent_path().string();
}
