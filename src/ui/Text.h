#pragma once

// The one crossing between protocol bytes and widget text.

#include <QString>
#include <string>

// Bytes are shown as UTF-8 where they are valid UTF-8, else as Windows-1252.
QString ToDisplay(const std::string& bytes);
// What the user typed, stored as UTF-8.
std::string FromUser(const QString& text);
