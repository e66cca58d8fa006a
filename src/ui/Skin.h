#pragma once

#include <QIcon>
#include <QString>

class QApplication;

// The built-in skin, a style sheet compiled into the program. The main window wears it (or a
// reseller's skin in its place), and every window opened from the main window with it.
QString BuiltInSkin();
// The widget style under every skin, the same on every platform.
void ApplyWidgetStyle(QApplication& application);
// Tallywick's own icon at every size it was drawn for; a reseller's main.ico replaces it.
QIcon BuiltInIcon();
