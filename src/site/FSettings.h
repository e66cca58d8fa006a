#pragma once

#include "site/ServerSettings.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

// The Settings window: five edits for the server settings. OK copies them into the
// settings it was given; Cancel, Escape or any other way out changes nothing.
class TfrmSettings : public QDialog {
    Q_OBJECT
public:
    TfrmSettings(ServerSettings& settings, QWidget* parent = nullptr);

    QLineEdit* edtSite;
    QLineEdit* edtHostname;
    QLineEdit* edtDatabase;
    QLineEdit* edtUsername;
    QLineEdit* edtPassword;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    void btnOkClick();
    void btnCancelClick();

private:
    ServerSettings& settings_;
};
