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
