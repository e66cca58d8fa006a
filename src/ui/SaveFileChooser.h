#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;

// Asks the user where to save a file; nothing when he cancels. Tests answer in place of the
// dialog. `filter` is the dialog's file-type filter, such as "CSV files (*.csv)".
using SaveFileChooser = std::function<std::optional<std::string>(
    QWidget* parent, const std::string& title, const std::string& suggestedPath, const std::string& filter)>;

// The system's save dialog, which asks before replacing a file.
SaveFileChooser DialogSaveFileChooser();
