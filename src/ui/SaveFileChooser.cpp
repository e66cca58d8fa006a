#include "ui/SaveFileChooser.h"

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
