#include "ui/WindowPlacement.h"

#include "support/Placement.h"

#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <ostream>

// A window size given by how much it differs from the screen's available area.
struct PlacementCase {
    const char* name;
    int widthOverArea;
    int heightOverArea;
};

void PrintTo(const PlacementCase& c, std::ostream* out)
{
    *out << c.name;
}

class WindowPlacement : public testing::TestWithParam<PlacementCase> { };

TEST_P(WindowPlacement, CentresTheWindowOnTheScreenKeepingItsCornerOnIt)
{
    QWidget window;
    const QRect area = window.screen()->availableGeometry();
    const QSize size(area.width() + GetParam().widthOverArea, area.height() + GetParam().heightOverArea);
    window.resize(size);
    CenterOnScreen(window);
    ExpectCentredOn(QRect(window.pos(), window.size()), area);
    EXPECT_EQ(window.size(), size);
    window.show();
    ExpectCentredOn(QRect(window.pos(), window.size()), area);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowPlacement,
    testing::Values(PlacementCase{"Smaller", -400, -300}, PlacementCase{"SmallerByAnOddAmount", -401, -299},
        PlacementCase{"AsLarge", 0, 0}, PlacementCase{"Wider", 40, -300}, PlacementCase{"Taller", -400, 40},
        PlacementCase{"Larger", 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowPlacementOver, CentresOverTheOwnerAndStaysOnTheScreen)
{
    QWidget owner;
    const QRect area = owner.screen()->availableGeometry();
    owner.setGeometry(area.left() + 100, area.top() + 80, 500, 400);
    QWidget window;
    window.resize(300, 200);
    CenterOver(window, owner);
    EXPECT_EQ(QRect(window.pos(), window.size()).center(), owner.frameGeometry().center());

    // An owner at the screen's corner: the window moves onto the screen.
    owner.move(area.topLeft() - QPoint(200, 150));
    CenterOver(window, owner);
    EXPECT_EQ(window.pos(), area.topLeft());
}
