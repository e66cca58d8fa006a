#include "ui/MessageHint.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QToolTip>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

constexpr int kPadding = 8;
constexpr int kPointerHeight = 14;
constexpr int kPointerWidth = 14;
constexpr int kPointerInset = 18; // from the body's right edge to the pointer's tip
constexpr int kCornerRadius = 6;
constexpr int kMaxLineWidth = 420;
constexpr int kMaxLines = 12;
constexpr int kMaxLineCharacters = 400; // a longer line is cut before it is measured

QFont HintFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

class TMessageHint::Balloon : public QWidget {
public:
    Balloon()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
          font_(HintFont())
    {
        setObjectName(QStringLiteral("LMDMessageHint"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_DeleteOnClose, false);
    }

    // Lays the text out and returns where the pointer's tip lies inside the window.
    QPoint SetText(const QString& text)
    {
        const QFontMetrics metrics(font_);
        lines_.clear();
        const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
        for (const QString& line : lines) {
            if (lines_.size() == kMaxLines) {
                lines_.back()
                    = metrics.elidedText(lines_.back() + QStringLiteral(" \u2026"), Qt::ElideRight, kMaxLineWidth);
                break;
            }
            lines_.push_back(metrics.elidedText(line.left(kMaxLineCharacters), Qt::ElideRight, kMaxLineWidth));
        }
        int textWidth = 0;
        for (const QString& line : lines_)
            textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
        const int bodyWidth = std::max(textWidth + 2 * kPadding, kPointerInset + kPointerWidth + kCornerRadius);
        const int bodyHeight = static_cast<int>(lines_.size()) * metrics.lineSpacing() + 2 * kPadding;
        body_ = QRect(0, kPointerHeight, bodyWidth, bodyHeight);
        shape_ = Shape();
        const QRect bounds = shape_.boundingRect().toAlignedRect();
        resize(bounds.width() + kShadowDepth + 1, bounds.height() + kShadowDepth + 1);

        // Without a compositor, the mask is what makes the window take the balloon's shape.
        QBitmap mask(size());
        mask.fill(Qt::color0);
        QPainter painter(&mask);
        painter.setPen(Qt::color1);
        painter.setBrush(Qt::color1);
        painter.drawPath(shape_);
        painter.drawPath(shape_.translated(kShadowDepth, kShadowDepth));
        painter.end();
        setMask(mask);
        update();
        return Tip();
    }

    QPoint Tip() const { return QPoint(body_.right() - kPointerInset, 0); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QPalette colours = QToolTip::palette();
        painter.setPen(Qt::NoPen);
        painter.setBrush(colours.color(QPalette::Shadow));
        painter.drawPath(shape_.translated(kShadowDepth, kShadowDepth));
        painter.setPen(colours.color(QPalette::ToolTipText));
        painter.setBrush(colours.color(QPalette::ToolTipBase));
        painter.drawPath(shape_);
        painter.setFont(font_);
        const QFontMetrics metrics(font_);
        int baseline = body_.top() + kPadding + metrics.ascent();
        for (const QString& line : lines_) {
            painter.drawText(body_.left() + kPadding, baseline, line);
            baseline += metrics.lineSpacing();
        }
    }

private:
    // The rounded body with the pointer rising from its top edge to the tip.
    QPainterPath Shape() const
    {
        QPainterPath body;
        body.addRoundedRect(QRectF(body_).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
        const QPointF tip = Tip();
        QPainterPath pointer;
        pointer.moveTo(tip.x() + 0.5, tip.y() + 0.5);
        pointer.lineTo(tip.x() - kPointerWidth + 0.5, body_.top() + 1.5);
        pointer.lineTo(tip.x() + 0.5, body_.top() + 1.5);
        pointer.closeSubpath();
        return body.united(pointer);
    }

    QFont font_;
    std::vector<QString> lines_;
    QRect body_;
    QPainterPath shape_;
};

TMessageHint::TMessageHint(QObject* parent)
    : QObject(parent)
{
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            HideMessage();
    });
}

TMessageHint::~TMessageHint()
{
    HideMessage();
}

void TMessageHint::ShowMessage(const QString& text, const QPoint& screenPoint)
{
    HideMessage();
    if (!balloon_)
        balloon_ = std::make_unique<Balloon>();
    text_ = text;
    tip_ = screenPoint;
    const QPoint tipInWindow = balloon_->SetText(text);
    balloon_->move(screenPoint - tipInWindow);
    balloon_->show();
    qApp->installEventFilter(this);
    filtering_ = true;
}

void TMessageHint::HideMessage()
{
    if (filtering_) {
        qApp->removeEventFilter(this);
        filtering_ = false;
    }
    if (balloon_)
        balloon_->hide();
}

bool TMessageHint::IsShowing() const
{
    return balloon_ && balloon_->isVisible();
}

QWidget* TMessageHint::Window() const
{
    return balloon_.get();
}

bool TMessageHint::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
        // The press goes on to where it was aimed; it only takes the balloon away.
        HideMessage();
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
