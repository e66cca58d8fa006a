#include "ui/BarChart.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
constexpr int kWantedSteps = 5;

const QColor kBarColour(0x3d, 0x6e, 0x9f);
const QColor kCurrentBarColour(0x23, 0x4a, 0x73);
const QColor kOutlineColour(0x8a, 0x94, 0x9e);
const QColor kLineColour(0xd9, 0x7b, 0x29);
const QColor kGridColour(0xe3, 0xe6, 0xea);
const QColor kTextColour(0x44, 0x4b, 0x52);

std::int64_t At(const std::vector<std::int64_t>& values, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < values.size() ? values[static_cast<std::size_t>(index)] : 0;
}

} // namespace

AxisScale RoundAxis(std::int64_t largest, int wantedSteps)
{
    if (largest <= 0 || wantedSteps <= 0)
        return {1, 1};
    const std::int64_t needed = largest / wantedSteps + (largest % wantedSteps != 0 ? 1 : 0);
    std::int64_t step = needed;
    for (std::int64_t magnitude = 1;; magnitude *= 10) {
        const std::int64_t found = magnitude >= needed             ? magnitude
            : magnitude <= kLargest / 2 && 2 * magnitude >= needed ? 2 * magnitude
            : magnitude <= kLargest / 5 && 5 * magnitude >= needed ? 5 * magnitude
                                                                   : 0;
        if (found != 0) {
            step = found;
            break;
        }
        if (magnitude > kLargest / 10)
            break;
    }
    const std::int64_t steps = largest / step + (largest % step != 0 ? 1 : 0);
    return {step, steps > kLargest / step ? kLargest : steps * step};
}

struct TBarChart::Geometry {
    QRectF plot;
    double slot = 0;
    AxisScale scale;
    int legendTop = 0;

    double Y(std::int64_t value) const
    {
        return plot.bottom() - static_cast<double>(static_cast<long double>(value) / scale.top) * plot.height();
    }
    double Left(int bar, double share) const { return plot.left() + slot * bar + slot * (1 - share) / 2; }
};

TBarChart::TBarChart(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TBarChart::SetData(BarChartData data)
{
    data_ = std::move(data);
    current_ = -1;
    update();
    emit CurrentBarChanged(-1);
}

void TBarChart::SetCurrentBar(int bar)
{
    if (bar < -1 || bar >= static_cast<int>(data_.values.size()))
        bar = -1;
    if (bar == current_)
        return;
    current_ = bar;
    update();
    emit CurrentBarChanged(bar);
}

QString TBarChart::CurrentTip() const
{
    if (current_ < 0 || static_cast<std::size_t>(current_) >= data_.tips.size())
        return {};
    return data_.tips[static_cast<std::size_t>(current_)];
}

std::int64_t TBarChart::Largest() const
{
    std::int64_t largest = 0;
    for (const auto* values : {&data_.values, &data_.outlines, &data_.line})
        for (std::int64_t value : *values)
            largest = std::max(largest, value);
    return largest;
}

TBarChart::Geometry TBarChart::Layout() const
{
    Geometry geometry;
    geometry.scale = RoundAxis(Largest(), kWantedSteps);
    const QFontMetrics metrics(font());
    const int axisWidth = metrics.horizontalAdvance(QLocale().toString(static_cast<qint64>(geometry.scale.top)));
    const int lineHeight = metrics.height();
    geometry.legendTop = 6;
    const double top = geometry.legendTop + lineHeight + 12;
    const double left = axisWidth + 14;
    const double bottom = height() - lineHeight - 10;
    geometry.plot = QRectF(left, top, std::max(1.0, width() - left - 12), std::max(1.0, bottom - top));
    const int count = static_cast<int>(data_.values.size());
    geometry.slot = count > 0 ? geometry.plot.width() / count : 0;
    return geometry;
}

QRect TBarChart::BarRect(int bar) const
{
    if (bar < 0 || bar >= static_cast<int>(data_.values.size()))
        return {};
    const Geometry geometry = Layout();
    const double width = std::max(1.0, geometry.slot * 0.62);
    const double top = geometry.Y(At(data_.values, bar));
    return QRectF(geometry.Left(bar, 0.62), top, width, geometry.plot.bottom() - top).toAlignedRect();
}

int TBarChart::BarAt(const QPoint& point) const
{
    const Geometry geometry = Layout();
    if (data_.values.empty() || point.x() < geometry.plot.left() || point.x() >= geometry.plot.right()
        || point.y() < geometry.plot.top() || point.y() > height())
        return -1;
    const int bar = static_cast<int>((point.x() - geometry.plot.left()) / geometry.slot);
    return std::clamp(bar, 0, static_cast<int>(data_.values.size()) - 1);
}

void TBarChart::mouseMoveEvent(QMouseEvent* event)
{
    SetCurrentBar(BarAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void TBarChart::leaveEvent(QEvent* event)
{
    SetCurrentBar(-1);
    QWidget::leaveEvent(event);
}

void TBarChart::keyPressEvent(QKeyEvent* event)
{
    const int last = static_cast<int>(data_.values.size()) - 1;
    if (last < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left: SetCurrentBar(current_ < 0 ? last : std::max(0, current_ - 1)); break;
    case Qt::Key_Right: SetCurrentBar(current_ < 0 ? 0 : std::min(last, current_ + 1)); break;
    case Qt::Key_Home: SetCurrentBar(0); break;
    case Qt::Key_End: SetCurrentBar(last); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void TBarChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const Geometry geometry = Layout();
    const QFontMetrics metrics(font());
    const QLocale locale;
    const int count = static_cast<int>(data_.values.size());

    // Grid and value axis, at round numbers.
    painter.setPen(kGridColour);
    for (std::int64_t value = 0;; value += geometry.scale.step) {
        const double y = std::round(geometry.Y(value)) + 0.5;
        painter.setPen(kGridColour);
        painter.drawLine(QPointF(geometry.plot.left(), y), QPointF(geometry.plot.right(), y));
        painter.setPen(kTextColour);
        painter.drawText(QRectF(0, y - metrics.height(), geometry.plot.left() - 8, 2.0 * metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, locale.toString(static_cast<qint64>(value)));
        if (value > geometry.scale.top - geometry.scale.step)
            break;
    }
    if (count == 0)
        return;

    // The earlier period behind the bars, as outlines a little wider than the bars.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kOutlineColour, 1.2));
    for (int bar = 0; bar < count; ++bar) {
        const std::int64_t value = At(data_.outlines, bar);
        if (value <= 0)
            continue;
        const double top = geometry.Y(value);
        painter.drawRect(QRectF(
            geometry.Left(bar, 0.86), top, std::max(1.0, geometry.slot * 0.86) - 1, geometry.plot.bottom() - top));
    }

    // The bars.
    painter.setPen(Qt::NoPen);
    for (int bar = 0; bar < count; ++bar) {
        const std::int64_t value = At(data_.values, bar);
        if (value <= 0)
            continue;
        const double top = geometry.Y(value);
        painter.setBrush(bar == current_ ? kCurrentBarColour : kBarColour);
        painter.drawRect(
            QRectF(geometry.Left(bar, 0.62), top, std::max(1.0, geometry.slot * 0.62), geometry.plot.bottom() - top));
    }
    if (current_ >= 0 && At(data_.values, current_) <= 0) {
        // A current bar without hits still shows where it is.
        painter.setBrush(kCurrentBarColour);
        painter.drawRect(
            QRectF(geometry.Left(current_, 0.62), geometry.plot.bottom() - 2, std::max(1.0, geometry.slot * 0.62), 2));
    }

    // The line over the bars, through the middle of each bar's place.
    if (!data_.line.empty()) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        for (int bar = 0; bar < count; ++bar) {
            const QPointF point(geometry.plot.left() + geometry.slot * (bar + 0.5), geometry.Y(At(data_.line, bar)));
            if (bar == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(kLineColour, 2));
        painter.drawPath(path);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }

    // Labels under the bars, as many as fit, counted back from the newest bar.
    int widest = 1;
    for (const QString& label : data_.labels)
        widest = std::max(widest, metrics.horizontalAdvance(label));
    const int every = std::max(1, static_cast<int>(std::ceil((widest + 12) / std::max(geometry.slot, 0.01))));
    painter.setPen(kTextColour);
    for (int bar = count - 1; bar >= 0; bar -= every) {
        if (static_cast<std::size_t>(bar) >= data_.labels.size())
            continue;
        const double middle = geometry.plot.left() + geometry.slot * (bar + 0.5);
        const double left = std::clamp(middle - widest / 2.0 - 6, 0.0, std::max(0.0, width() - widest - 12.0));
        painter.drawText(QRectF(left, geometry.plot.bottom() + 4, widest + 12, metrics.height()), Qt::AlignHCenter,
            data_.labels[static_cast<std::size_t>(bar)]);
    }

    // The legend, at the top right.
    double right = width() - 12;
    const double legendY = geometry.legendTop;
    const std::vector<std::pair<const QString*, int>> entries{
        {&data_.lineName, 2}, {&data_.outlinesName, 1}, {&data_.valuesName, 0}};
    for (const auto& [name, kind] : entries) {
        if (name->isEmpty() || (kind == 2 && data_.line.empty()) || (kind == 1 && data_.outlines.empty()))
            continue;
        const int textWidth = metrics.horizontalAdvance(*name);
        const double textLeft = right - textWidth;
        painter.setPen(kTextColour);
        painter.drawText(
            QRectF(textLeft, legendY, textWidth, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter, *name);
        const QRectF sign(textLeft - 18, legendY + metrics.height() / 2.0 - 5, 12, 10);
        if (kind == 0) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kBarColour);
            painter.drawRect(sign);
        } else if (kind == 1) {
            painter.setPen(QPen(kOutlineColour, 1.2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(sign);
        } else {
            painter.setPen(QPen(kLineColour, 2));
            painter.drawLine(QPointF(sign.left(), sign.center().y()), QPointF(sign.right(), sign.center().y()));
        }
        right = sign.left() - 16;
    }

    // The current bar's tip, above it and inside the chart.
    const QString tip = CurrentTip();
    if (tip.isEmpty())
        return;
    const QRect textBox = metrics.boundingRect(QRect(0, 0, 400, 400), Qt::AlignLeft | Qt::TextWordWrap, tip);
    const double boxWidth = textBox.width() + 16;
    const double boxHeight = textBox.height() + 10;
    const double middle = geometry.plot.left() + geometry.slot * (current_ + 0.5);
    const double barTop = std::min(geometry.Y(At(data_.values, current_)), geometry.Y(At(data_.outlines, current_)));
    double top = barTop - boxHeight - 6;
    double left = middle - boxWidth / 2;
    if (top < geometry.plot.top()) {
        // No room above the bar: beside it, on the side with more room, so the bar stays in sight.
        top = geometry.plot.top() + 4;
        left = middle > width() / 2.0 ? middle - geometry.slot / 2 - boxWidth - 4 : middle + geometry.slot / 2 + 4;
    }
    left = std::clamp(left, 2.0, std::max(2.0, width() - boxWidth - 2));
    const QRectF box(left, top, boxWidth, boxHeight);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kOutlineColour, 1));
    painter.setBrush(QColor(255, 255, 255, 235));
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(kTextColour);
    painter.drawText(box.adjusted(8, 5, -8, -5), Qt::AlignLeft | Qt::TextWordWrap, tip);
}
