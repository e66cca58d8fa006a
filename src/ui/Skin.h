#pragma once

#include <QString>

class QApplication;

// The built-in skin, a style sheet compiled into the program. The main window wears it (or a
// reseller's skin in its place), and every window opened from the main window with it.
QString BuiltInSkin();
// The widget style under every skin, the same on every platform.
void ApplyWidgetStyle(QApplication& application);
