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
