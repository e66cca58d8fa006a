#include "ui/MessageHint.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QTest>
#include <QToolTip>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QPoint kPoint(700, 80);

struct Dismissal {
    const char* name;
    std::function<void(QWidget& other)> act;
};

void PrintTo(const Dismissal& value, std::ostream* out)
{
    *out << value.name;
}

class BalloonDismissal : public testing::TestWithParam<Dismissal> { };

} // namespace

TEST(MessageHint, OpensBelowAndLeftOfThePointWithItsTipOnIt)
{
    TMessageHint hint;
    hint.ShowMessage(QStringLiteral("You've Got A Message!\r\nSpring sale"), kPoint);
    ASSERT_TRUE(hint.IsShowing());
    const QRect frame = hint.Window()->geometry();
    EXPECT_EQ(frame.top(), kPoint.y());
    EXPECT_LT(frame.left(), kPoint.x() - frame.width() / 2);
    EXPECT_GT(frame.right(), kPoint.x());
    EXPECT_EQ(hint.Text(), "You've Got A Message!\r\nSpring sale");
    EXPECT_EQ(hint.TipPoint(), kPoint);

    // The shape: the tip, the body under it and the shadow's far corner, but not the empty
    // corner beside the pointer.
    const QRegion shape = hint.Window()->mask();
    const QPoint tip = kPoint - frame.topLeft();
    EXPECT_TRUE(shape.contains(tip + QPoint(0, 1)));
    EXPECT_TRUE(shape.contains(QPoint(frame.width() / 2, frame.height() / 2)));
    EXPECT_FALSE(shape.contains(QPoint(1, 1)));
    EXPECT_TRUE(shape.contains(QPoint(frame.width() - 12, frame.height() - 3)));
    EXPECT_FALSE(shape.contains(QPoint(1, frame.height() - 2))); // the shadow falls to the right
}

TEST(MessageHint, IsDrawnInTheToolTipColoursWithItsShadow)
{
    TMessageHint hint;
    hint.ShowMessage(QStringLiteral("You've Got A Message!\r\nx"), kPoint);
    const QImage picture = hint.Window()->grab().toImage();
    const QPalette colours = QToolTip::palette();
    EXPECT_EQ(picture.pixel(picture.width() - 12, picture.height() - 2 * TMessageHint::kShadowDepth - 3),
        colours.color(QPalette::ToolTipBase).rgb());
    EXPECT_EQ(picture.pixel(picture.width() - 12, picture.height() - 3), colours.color(QPalette::Shadow).rgb());
}

TEST(MessageHint, ANewMessageReplacesTheOneShowing)
{
    TMessageHint hint;
    hint.ShowMessage(QStringLiteral("first"), kPoint);
    hint.ShowMessage(QStringLiteral("second, longer than the first"), kPoint + QPoint(0, 100));
    EXPECT_TRUE(hint.IsShowing());
    EXPECT_EQ(hint.Text(), "second, longer than the first");
    EXPECT_EQ(hint.Window()->y(), kPoint.y() + 100);
}

TEST(MessageHint, AnEndlessTextStaysAReasonableWindow)
{
    TMessageHint hint;
    QString text = QStringLiteral("You've Got A Message!\r\n") + QString(1 << 20, QChar('W'));
    for (int line = 0; line < 1000; ++line)
        text += QStringLiteral("\r\nline");
    hint.ShowMessage(text, kPoint);
    EXPECT_LT(hint.Window()->width(), 600);
    EXPECT_LT(hint.Window()->height(), 400);
}

TEST_P(BalloonDismissal, TakesTheBalloonAway)
{
    QWidget other;
    other.resize(200, 100);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    TMessageHint hint;
    hint.ShowMessage(QStringLiteral("hello"), kPoint);
    GetParam().act(other);
    EXPECT_FALSE(hint.IsShowing());
}

INSTANTIATE_TEST_SUITE_P(Ways, BalloonDismissal,
    testing::Values(Dismissal{"KeyPress", [](QWidget& other) { QTest::keyClick(&other, Qt::Key_A); }},
        Dismissal{"Click", [](QWidget& other) { QTest::mouseClick(&other, Qt::LeftButton); }},
        Dismissal{"ClickOnTheBalloon",
            [](QWidget&) {
                for (QWidget* window : QApplication::topLevelWidgets())
                    if (window->objectName() == "LMDMessageHint" && window->isVisible())
                        QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(window->width() / 2, 30));
            }},
        Dismissal{
            "LosingTheActivation", [](QWidget&) { emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageHint, StaysWhileNothingHappens)
{
    TMessageHint hint;
    hint.ShowMessage(QStringLiteral("hello"), kPoint);
    QCoreApplication::processEvents();
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(hint.IsShowing());
    hint.HideMessage();
    EXPECT_FALSE(hint.IsShowing());
}
