#include "support/TestMain.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct Window {
    int clicks = 0;
    void SaveClick()
    {
        ++clicks;
        throw std::runtime_error("Unable to write to /x/hsettings.dat");
    }
};

} // namespace

TEST(UnexpectedError, EndsOnlyTheGuardedHandlerAndIsReported)
{
    UnexpectedErrorsSeen().clear();
    Window window;
    QPushButton button;
    QObject::connect(&button, &QPushButton::clicked, &button, Guarded(&window, &Window::SaveClick));
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);

    EXPECT_EQ(window.clicks, 2); // the program went on and handled the second click
    ASSERT_EQ(UnexpectedErrorsSeen().size(), 2u);
    EXPECT_EQ(UnexpectedErrorsSeen()[0], "An unexpected error occurred:\nUnable to write to /x/hsettings.dat");
}

TEST(UnexpectedError, AnUnguardedHandlerIsCaughtByTheApplication)
{
    UnexpectedErrorsSeen().clear();
    QObject receiver;
    QMetaObject::invokeMethod(
        &receiver, [] { throw std::runtime_error("late"); }, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    ASSERT_EQ(UnexpectedErrorsSeen().size(), 1u);
    EXPECT_EQ(UnexpectedErrorsSeen()[0], "An unexpected error occurred:\nlate");
}
