#pragma once

#include <QString>

class QApplication;

// The built-in skin, a style sheet compiled into the program.
QString BuiltInSkin();
// Applies the built-in skin to every window of the application.
void ApplyBuiltInSkin(QApplication& application);
