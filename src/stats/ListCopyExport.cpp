// Rows out of the lists: copied for a spreadsheet, or exported to a CSV file.
#include "stats/ListCommands.h"

#include "platform/ReplaceFile.h"
#include "ui/LinkListView.h"
#include "ui/ListText.h"
#include "ui/MessageBox.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

#include <filesystem>
#include <numeric>

namespace {

constexpr int kPageHitsColumn = 1;
constexpr int kRefererHitsColumn = 3;

// A failed write names the file it failed on, then ": " and the reason; the message names the
// file the user chose, which the temporary file beside it is not.
std::string_view ReasonOf(std::string_view failure)
{
    const size_t separator = failure.rfind(": ");
    return separator == std::string_view::npos ? failure : failure.substr(separator + 2);
}

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
    const std::optional<std::string> path
        = chooseSaveFile_(dialogParent_, "Export CSV", (folder / suggestedName).string());
    if (!path || path->empty())
        return;
    exportFolder_ = std::filesystem::path(*path).parent_path().string();

    // The rows as they are now: a request may have refilled the list while the dialog was open.
    std::vector<int> rows(static_cast<size_t>(list.RowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    const std::string failure
        = platform::ReplaceFileContents(*path, ListText(list, rows, ListTextFormat::Csv, integerColumns));
    if (!failure.empty())
        messages_.Show("The list could not be exported to \"" + *path + "\": " + std::string(ReasonOf(failure)) + ".",
            MessageKind::Warning, MessageButtons::Ok);
}
