#include "support/TestMain.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

TEST(UnexpectedError, EndsOnlyTheHandlerAndIsReported)
{
    UnexpectedErrorsSeen().clear();
    QPushButton button;
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        ++clicks;
        throw std::runtime_error("Unable to write to /x/hsettings.dat");
    });
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);

    EXPECT_EQ(clicks, 2); // the program went on and handled the second click
    ASSERT_EQ(UnexpectedErrorsSeen().size(), 2u);
    EXPECT_EQ(UnexpectedErrorsSeen()[0], "An unexpected error occurred:\nUnable to write to /x/hsettings.dat");
}
