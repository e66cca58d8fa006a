#include "ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void CenterOnScreen(QWidget& window)
{
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.size();
    const int left = std::max(area.left(), area.left() + (area.width() - size.width()) / 2);
    const int top = std::max(area.top(), area.top() + (area.height() - size.height()) / 2);
    window.move(left, top);
}

void CenterOver(QWidget& window, const QWidget& owner)
{
    const QRect frame = owner.frameGeometry();
    const QSize size = window.size();
    int left = frame.left() + (frame.width() - size.width()) / 2;
    int top = frame.top() + (frame.height() - size.height()) / 2;
    if (QScreen* screen = owner.screen()) {
        const QRect area = screen->availableGeometry();
        left = std::max(area.left(), std::min(left, area.right() + 1 - size.width()));
        top = std::max(area.top(), std::min(top, area.bottom() + 1 - size.height()));
    }
    window.move(left, top);
}
