#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;

// Asks the user for a folder; nothing when he cancels. Tests answer in place of the dialog.
using FolderChooser = std::function<std::optional<std::string>(
    QWidget* parent, const std::string& title, const std::string& startFolder)>;

// The system's folder dialog.
FolderChooser DialogFolderChooser();
