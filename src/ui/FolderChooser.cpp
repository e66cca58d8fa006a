#include "ui/FolderChooser.h"

#include "ui/Text.h"

#include <QFileDialog>

FolderChooser DialogFolderChooser()
{
    return [](QWidget* parent, const std::string& title, const std::string& startFolder) -> std::optional<std::string> {
        const QString folder
            = QFileDialog::getExistingDirectory(parent, ToDisplay(title), QString::fromStdString(startFolder));
        if (folder.isEmpty())
            return std::nullopt;
        return folder.toStdString();
    };
}
