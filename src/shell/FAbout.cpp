#include "shell/FAbout.h"

#include "shell/FMain.h"
#include "ui/Text.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfrmAbout::TfrmAbout(const BrandingInfo& branding, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      branding_(branding)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About..."));
    setModal(true);
    setFixedSize(368, 211);

    lblProductName = new QLabel(this);
    lblProductName->setObjectName(QStringLiteral("lblProductName"));
    QFont bold = lblProductName->font();
    bold.setBold(true);
    lblProductName->setFont(bold);
    lblProductVersion = new QLabel(this);
    lblProductVersion->setObjectName(QStringLiteral("lblProductVersion"));
    lblCopyright = new QLabel(this);
    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
    for (QLabel* label : {lblProductName, lblProductVersion, lblCopyright})
        label->setTextFormat(Qt::PlainText);

    auto* memoPanel = new QFrame(this);
    memoPanel->setObjectName(QStringLiteral("aboutPanel"));
    memoPanel->setFixedSize(348, 71);
    memAbout = new QPlainTextEdit(memoPanel);
    memAbout->setObjectName(QStringLiteral("memAbout"));
    memAbout->setReadOnly(true);
    memAbout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* memoLayout = new QVBoxLayout(memoPanel);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    memoLayout->addWidget(memAbout);

    editAbout = new QPushButton(QStringLiteral("Ok"), this);
    editAbout->setObjectName(QStringLiteral("editAbout"));
    editAbout->setDefault(true);
    connect(editAbout, &QPushButton::clicked, this, &TfrmAbout::editAboutClick);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(editAbout);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(4);
    layout->addWidget(lblProductName);
    layout->addWidget(lblProductVersion);
    layout->addWidget(lblCopyright);
    layout->addWidget(memoPanel);
    layout->addStretch();
    layout->addLayout(buttons);

    FormCreate();
}

void TfrmAbout::FormCreate()
{
    setWindowTitle(ToDisplay("About " + branding_.ApplicationName + "..."));
    lblProductName->setText(ToDisplay(branding_.ApplicationName));
    lblProductVersion->setText(ToDisplay(std::string("Product Version: ") + kAppVersion));
    lblCopyright->setText(ToDisplay("Copyright (c) " + branding_.CopyrightYears + " " + branding_.CopyrightCompany));
    // The branding text breaks its lines with CR LF; the memo wants one break per line.
    memAbout->setPlainText(ToDisplay(branding_.AboutText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TfrmAbout::editAboutClick()
{
    accept();
}

void TfrmAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
