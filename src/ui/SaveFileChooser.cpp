#include "ui/SaveFileChooser.h"

#include "ui/Text.h"

#include <QFileDialog>

SaveFileChooser DialogSaveFileChooser()
{
    return [](QWidget* parent, const std::string& title, const std::string& suggestedPath,
               const std::string& filter) -> std::optional<std::string> {
        const QString path = QFileDialog::getSaveFileName(
            parent, ToDisplay(title), QString::fromStdString(suggestedPath), ToDisplay(filter));
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    };
}
