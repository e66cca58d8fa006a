#include "ui/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

TEST(MessageBox, ShowsEachWrittenLineBreakAsOneAndAnswersWithTheButtonPressed)
{
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("Counter Pro v2.01"));
    const MessageResponder show = DialogResponder(&owner);
    for (const bool pressOk : {true, false}) {
        QString shownText, shownTitle;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shownText = box->text();
            shownTitle = box->windowTitle();
            box->button(pressOk ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(
            show("will close to\n\rreplace some files.\r\nNow?", MessageKind::Information, MessageButtons::OkCancel),
            pressOk);
        EXPECT_EQ(shownText, "will close to\nreplace some files.\nNow?");
        EXPECT_EQ(shownTitle, "Counter Pro v2.01");
    }
}

// Messages name files, which may hold anything, and carry lines the user is to copy.
TEST(MessageBox, ShowsTagsAsWrittenAndLetsTheTextBeSelected)
{
    const MessageResponder show = DialogResponder(nullptr);
    Qt::TextFormat format = Qt::RichText;
    Qt::TextInteractionFlags flags;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        flags = box->textInteractionFlags();
        box->button(QMessageBox::Ok)->click();
    });
    show("<b>shop</b>/<img src=x>.php", MessageKind::Information, MessageButtons::Ok);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_TRUE(flags.testFlag(Qt::TextSelectableByMouse));
}
