#include "site/FPrepare.h"

#include "site/PagePreparation.h"
#include "ui/MessageBox.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmPrepare::TfrmPrepare(
    TMessageBox& messages, FolderChooser folderChooser, std::string programDirectory, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      messages_(messages),
      folderChooser_(std::move(folderChooser)),
      programDirectory_(std::move(programDirectory))
{
    setObjectName(QStringLiteral("frmPrepare"));
    setWindowTitle(QStringLiteral("Prepare Web Pages"));
    setModal(true);

    auto* folderLabel = new QLabel(QStringLiteral("Select folder that contains web pages to prepare:"), this);
    edtFolder = new QLineEdit(this);
    edtFolder->setObjectName(QStringLiteral("edtFolder"));
    edtFolder->setMinimumWidth(360);
    folderLabel->setBuddy(edtFolder);
    btnBrowse = new QPushButton(QStringLiteral("Browse"), this);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    btnBrowse->setAutoDefault(false);

    auto* codeLabel = new QLabel(
        QStringLiteral("Code To Insert (This will be generated automatically if your settings are valid):"), this);
    edtCode = new QLineEdit(this);
    edtCode->setObjectName(QStringLiteral("edtCode"));
    edtCode->setReadOnly(true);
    codeLabel->setBuddy(edtCode);

    chkSubFolders = new QCheckBox(QStringLiteral("Modify files inside subfolders"), this);
    chkSubFolders->setObjectName(QStringLiteral("chkSubFolders"));
    chkSubFolders->setChecked(false);

    btnStart = new QPushButton(QStringLiteral("Start"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    connect(btnBrowse, &QPushButton::clicked, this, &TfrmPrepare::btnBrowseClick);
    connect(btnStart, &QPushButton::clicked, this, &TfrmPrepare::btnStartClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmPrepare::btnCancelClick);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(edtFolder, 1);
    folderRow->addWidget(btnBrowse);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnStart);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(folderLabel);
    layout->addLayout(folderRow);
    layout->addSpacing(6);
    layout->addWidget(codeLabel);
    layout->addWidget(edtCode);
    layout->addSpacing(6);
    layout->addWidget(chkSubFolders);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    // A fixed frame: the window keeps the size its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(edtFolder, btnBrowse);
    setTabOrder(btnBrowse, chkSubFolders);
    setTabOrder(chkSubFolders, btnStart);
    setTabOrder(btnStart, btnCancel);
    setTabOrder(btnCancel, edtCode);
    edtFolder->setFocus();
}

std::string TfrmPrepare::Folder() const
{
    return FromUser(edtFolder->text());
}

void TfrmPrepare::btnBrowseClick()
{
    const std::string typed = Folder();
    const std::string start = IsExistingFolder(typed) ? typed : programDirectory_;
    if (!folderChooser_)
        return;
    if (const std::optional<std::string> chosen = folderChooser_(this, "Select folder", start))
        edtFolder->setText(ToDisplay(*chosen));
}

void TfrmPrepare::btnStartClick()
{
    const std::string folder = Folder();
    if (!IsExistingFolder(folder)) {
        messages_.Show("Please provide a valid folder.", MessageKind::Information, MessageButtons::Ok);
        return;
    }
    if (IsCounterFolder(folder)) {
        messages_.Show("This folder holds the counter's own scripts (count.php and actions.php). They must stay as "
                       "they are: with the include line they would stop working, and with them every counted page. "
                       "Please select the folder of your web pages.",
            MessageKind::Information, MessageButtons::Ok);
        return;
    }
    accept();
}

void TfrmPrepare::btnCancelClick()
{
    reject();
}
