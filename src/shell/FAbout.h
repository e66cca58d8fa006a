#pragma once

#include "branding/BrandingInfo.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The About window: the branded product name, the program's version, the copyright line and
// the reseller's About text. It reads the branding once, when it is created.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(const BrandingInfo& branding, QWidget* parent = nullptr);

    QLabel* lblProductName;
    QLabel* lblProductVersion;
    QLabel* lblCopyright;
    QPlainTextEdit* memAbout;
    QPushButton* editAbout;

    void FormCreate();
    void editAboutClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const BrandingInfo branding_;
};
