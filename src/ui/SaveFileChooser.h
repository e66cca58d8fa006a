#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;
class TMessageBox;

// Asks the user where to save a file, starting from `suggestedPath`; nothing when he cancels.
// Tests answer in place of the dialog.
using SaveFileChooser = std::function<std::optional<std::string>(
    QWidget* parent, const std::string& title, const std::string& suggestedPath)>;

// The system's save dialog for CSV files: it adds ".csv" to a name typed without an extension
// and asks before replacing a file.
SaveFileChooser DialogCsvFileChooser();

// "Export CSV…": asks for the file, then writes what `bytes` gives at that moment through a
// temporary file and a rename, so a failed export leaves nothing behind. A failure is shown as
// `what` + " could not be exported to "PATH": REASON.". The chosen path, or nothing when the
// user cancelled.
std::optional<std::string> ExportToChosenFile(const SaveFileChooser& choose, QWidget* parent,
    const std::string& suggestedPath, const std::function<std::string()>& bytes, TMessageBox& messages,
    const std::string& what);
