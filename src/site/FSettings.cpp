#include "site/FSettings.h"

#include "ui/Text.h"
#include "ui/WindowPlacement.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSettings::TfrmSettings(ServerSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      settings_(settings)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);

    auto* grid = new QGridLayout;
    auto addRow = [&](const char* name, const char* label, const std::string& value) {
        auto* edit = new QLineEdit(ToDisplay(value), this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMinimumWidth(280);
        auto* caption = new QLabel(QString::fromLatin1(label), this);
        caption->setBuddy(edit);
        const int row = grid->rowCount();
        grid->addWidget(caption, row, 0, Qt::AlignRight);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    edtSite = addRow("edtSite", "Site URL:", settings.siteUrl);
    edtHostname = addRow("edtHostname", "MYSQL Host:", settings.hostname);
    edtDatabase = addRow("edtDatabase", "Database:", settings.database);
    edtUsername = addRow("edtUsername", "Database User:", settings.username);
    edtPassword = addRow("edtPassword", "User Password:", settings.password);

    auto* note = new QLabel(
        QStringLiteral("After save the changes a new configuration file (config.php) will be created."), this);
    note->setWordWrap(true);

    btnOk = new QPushButton(QStringLiteral("Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, &TfrmSettings::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSettings::btnCancelClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addLayout(buttons);

    setTabOrder(edtSite, edtHostname);
    setTabOrder(edtHostname, edtDatabase);
    setTabOrder(edtDatabase, edtUsername);
    setTabOrder(edtUsername, edtPassword);
    setTabOrder(edtPassword, btnOk);
    setTabOrder(btnOk, btnCancel);
    edtSite->setFocus();

    // On the screen's middle rather than over the main window, where a dialog goes by default.
    adjustSize();
    CenterOnScreen(*this);
}

void TfrmSettings::btnOkClick()
{
    // A value shown as it was read keeps its bytes: bytes that are not UTF-8 are shown as
    // Windows-1252, and storing that text would change a value the user never touched.
    auto take = [](const QLineEdit* edit, std::string& value) {
        if (edit->text() != ToDisplay(value))
            value = FromUser(edit->text());
    };
    // The new values hold from now on, whether or not they can be saved afterwards.
    take(edtSite, settings_.siteUrl);
    take(edtHostname, settings_.hostname);
    take(edtDatabase, settings_.database);
    take(edtUsername, settings_.username);
    take(edtPassword, settings_.password);
    accept();
}

void TfrmSettings::btnCancelClick()
{
    reject();
}
