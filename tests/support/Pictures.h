#pragma once

#include <QColor>

#include <string>

// A picture of one colour, encoded by Qt in `format` ("PNG", "JPEG", "BMP", "ICO", ...).
std::string StillPicture(const char* format, int width, int height, QColor colour = Qt::darkCyan);
