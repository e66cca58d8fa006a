#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;

// Asks the user where to save a file, starting from `suggestedPath`; nothing when he cancels.
// Tests answer in place of the dialog.
using SaveFileChooser = std::function<std::optional<std::string>(
    QWidget* parent, const std::string& title, const std::string& suggestedPath)>;

// The system's save dialog for CSV files: it adds ".csv" to a name typed without an extension
// and asks before replacing a file.
SaveFileChooser DialogCsvFileChooser();
