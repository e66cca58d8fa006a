#pragma once

#include "ui/FolderChooser.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class TMessageBox;

// The Prepare Web Pages window: which folder to prepare, whether its subfolders too, and
// the include line that will be put on top of every page. Start closes it with OK only
// when the folder exists and is not the counter's own; Cancel closes it with Cancel.
class TfrmPrepare : public QDialog {
    Q_OBJECT
public:
    TfrmPrepare(
        TMessageBox& messages, FolderChooser folderChooser, std::string programDirectory, QWidget* parent = nullptr);

    QLineEdit* edtFolder;
    QPushButton* btnBrowse;
    QLineEdit* edtCode;
    QCheckBox* chkSubFolders;
    QPushButton* btnStart;
    QPushButton* btnCancel;

    void btnBrowseClick();
    void btnStartClick();
    void btnCancelClick();

    // The folder as typed, in bytes.
    std::string Folder() const;

private:
    TMessageBox& messages_;
    FolderChooser folderChooser_;
    std::string programDirectory_;
};
