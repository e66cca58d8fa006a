#include "ui/SaveFileChooser.h"

#include "platform/ReplaceFile.h"
#include "ui/MessageBox.h"
#include "ui/Text.h"

#include <QFileDialog>

SaveFileChooser DialogCsvFileChooser()
{
    return
        [](QWidget* parent, const std::string& title, const std::string& suggestedPath) -> std::optional<std::string> {
            QFileDialog dialog(parent, ToDisplay(title));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setNameFilters({QStringLiteral("CSV files (*.csv)"), QStringLiteral("All files (*)")});
            dialog.setDefaultSuffix(QStringLiteral("csv"));
            dialog.selectFile(QString::fromStdString(suggestedPath));
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return std::nullopt;
            return dialog.selectedFiles().first().toStdString();
        };
}

namespace {

// A failed write names the file it failed on, then ": " and the reason; the message names the
// file the user chose, which the temporary file beside it is not.
std::string_view ReasonOf(std::string_view failure)
{
    const size_t separator = failure.rfind(": ");
    return separator == std::string_view::npos ? failure : failure.substr(separator + 2);
}

} // namespace

std::optional<std::string> ExportToChosenFile(const SaveFileChooser& choose, QWidget* parent,
    const std::string& suggestedPath, const std::function<std::string()>& bytes, TMessageBox& messages,
    const std::string& what)
{
    const std::optional<std::string> path = choose(parent, "Export CSV", suggestedPath);
    if (!path || path->empty())
        return std::nullopt;
    const std::string failure = platform::ReplaceFileContents(*path, bytes());
    if (!failure.empty())
        messages.Show(what + " could not be exported to \"" + *path + "\": " + std::string(ReasonOf(failure)) + ".",
            MessageKind::Warning, MessageButtons::Ok);
    return path;
}
