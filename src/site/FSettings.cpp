#include "site/FSettings.h"

#include "ui/Text.h"

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
}

void TfrmSettings::btnOkClick()
{
    // The new values hold from now on, whether or not they can be saved afterwards.
    settings_.siteUrl = FromUser(edtSite->text());
    settings_.hostname = FromUser(edtHostname->text());
    settings_.database = FromUser(edtDatabase->text());
    settings_.username = FromUser(edtUsername->text());
    settings_.password = FromUser(edtPassword->text());
    accept();
}

void TfrmSettings::btnCancelClick()
{
    reject();
}
