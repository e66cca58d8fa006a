#include "ui/BarChart.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

namespace {

struct AxisCase {
    std::int64_t largest;
    std::int64_t step;
    std::int64_t top;
};

class Axis : public testing::TestWithParam<AxisCase> { };

TEST_P(Axis, StepsAreOneTwoOrFiveTimesAPowerOfTen)
{
    const AxisScale scale = RoundAxis(GetParam().largest, 5);
    EXPECT_EQ(scale.step, GetParam().step);
    EXPECT_EQ(scale.top, GetParam().top);
}

INSTANTIATE_TEST_SUITE_P(Values, Axis,
    testing::Values(AxisCase{0, 1, 1}, AxisCase{-5, 1, 1}, AxisCase{1, 1, 1}, AxisCase{4, 1, 4}, AxisCase{7, 2, 8},
        AxisCase{10, 2, 10}, AxisCase{11, 5, 15}, AxisCase{99, 20, 100}, AxisCase{4210, 1000, 5000},
        AxisCase{100001, 50000, 150000},
        AxisCase{
            std::numeric_limits<std::int64_t>::max(), 2000000000000000000, std::numeric_limits<std::int64_t>::max()}));

BarChartData ThreeBars()
{
    return {.values = {10, 0, 40},
        .outlines = {30, 5, 0},
        .line = {},
        .labels = {"a", "b", "c"},
        .tips = {"first", "second", "third"},
        .valuesName = "This period",
        .outlinesName = "Previous period",
        .lineName = {}};
}

} // namespace

TEST(BarChart, ArrowKeysAndTheMouseMoveTheCurrentBar)
{
    TBarChart chart;
    chart.resize(400, 300);
    chart.SetData(ThreeBars());
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    std::vector<int> changes;
    QObject::connect(&chart, &TBarChart::CurrentBarChanged, [&](int bar) { changes.push_back(bar); });
    EXPECT_EQ(chart.CurrentBar(), -1);
    EXPECT_EQ(chart.CurrentTip(), "");

    QTest::keyClick(&chart, Qt::Key_Right); // from none to the first
    QTest::keyClick(&chart, Qt::Key_Right);
    QTest::keyClick(&chart, Qt::Key_Right);
    QTest::keyClick(&chart, Qt::Key_Right); // stays on the last
    EXPECT_EQ(chart.CurrentTip(), "third");
    QTest::keyClick(&chart, Qt::Key_Home);
    QTest::keyClick(&chart, Qt::Key_Left); // stays on the first
    EXPECT_EQ(changes, (std::vector<int>{0, 1, 2, 0}));

    // A bar's whole place counts, also where it has no height.
    for (int bar = 0; bar < 3; ++bar) {
        const QRect place = chart.BarRect(bar);
        EXPECT_EQ(chart.BarAt(QPoint(place.center().x(), place.bottom() - 1)), bar);
        EXPECT_EQ(chart.BarAt(QPoint(place.center().x(), 60)), bar);
    }
    QTest::mouseMove(&chart, chart.BarRect(1).center());
    EXPECT_EQ(chart.CurrentBar(), 1);
    EXPECT_EQ(chart.BarAt(QPoint(2, 150)), -1); // over the value axis

    chart.SetData({});
    EXPECT_EQ(chart.CurrentBar(), -1);
    QTest::keyClick(&chart, Qt::Key_Right);
    EXPECT_EQ(chart.CurrentBar(), -1);
}

TEST(BarChart, BarsStandOnTheAxisWithTheEarlierPeriodOutlinedBehind)
{
    TBarChart chart;
    chart.resize(400, 300);
    chart.SetData(ThreeBars());
    const QRect tall = chart.BarRect(2);
    const QRect low = chart.BarRect(0);
    EXPECT_EQ(tall.bottom(), low.bottom());
    EXPECT_NEAR(tall.height(), 4 * low.height(), 3);
    EXPECT_EQ(chart.BarRect(1).height(), 0);

    const QImage image = chart.grab().toImage();
    const QColor background = image.pixelColor(tall.center().x(), tall.top() - 20);
    EXPECT_NE(image.pixelColor(tall.center()), background); // the bar is filled
    // Bar 0 had 30 before and 10 now: the outline stands above the bar, hollow inside.
    const int outlineTop = low.bottom() - 3 * low.height();
    bool edge = false;
    for (int y = outlineTop - 3; y <= outlineTop + 3; ++y)
        edge = edge || image.pixelColor(low.center().x(), y) != background;
    EXPECT_TRUE(edge);
    EXPECT_EQ(image.pixelColor(low.center().x(), (outlineTop + low.top()) / 2), background);
}
