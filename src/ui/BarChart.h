#pragma once

// A bar chart drawn with the painter: one bar a value, an optional outline behind each bar
// (an earlier period to compare with), an optional line over the bars, a value axis at
// round numbers and labels under the bars where they fit. Hovering a bar, or moving along
// the bars with the arrow keys, makes it the current bar and shows its tip text.

#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

struct BarChartData {
    std::vector<std::int64_t> values;
    std::vector<std::int64_t> outlines; // empty, or one a bar
    std::vector<std::int64_t> line; // empty, or one a bar
    std::vector<QString> labels; // one a bar
    std::vector<QString> tips; // one a bar
    // The legend's names of the three; an empty name leaves that entry out.
    QString valuesName, outlinesName, lineName;
};

// A value axis from 0 to `top` in `step`s of 1, 2 or 5 times a power of ten, with at most
// about `wantedSteps` steps, reaching at least `largest`.
struct AxisScale {
    std::int64_t step = 1;
    std::int64_t top = 1;
};
AxisScale RoundAxis(std::int64_t largest, int wantedSteps);

class TBarChart : public QWidget {
    Q_OBJECT
public:
    explicit TBarChart(QWidget* parent = nullptr);

    void SetData(BarChartData data);
    const BarChartData& Data() const { return data_; }

    // The current bar, or -1.
    int CurrentBar() const { return current_; }
    void SetCurrentBar(int bar);
    // The tip text of the current bar, empty when there is none.
    QString CurrentTip() const;

    // Where a bar is drawn, and the bar under a point (-1 when none): for tests and for hovering.
    QRect BarRect(int bar) const;
    int BarAt(const QPoint& point) const;

    QSize sizeHint() const override { return {600, 300}; }
    QSize minimumSizeHint() const override { return {240, 160}; }

signals:
    void CurrentBarChanged(int bar);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Geometry;
    Geometry Layout() const;
    std::int64_t Largest() const;

    BarChartData data_;
    int current_ = -1;
};
