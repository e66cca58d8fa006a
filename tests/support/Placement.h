#pragma once

#include <QRect>

#include <cstdlib>

#include <gtest/gtest.h>

// Along each axis: centred on the area (to a pixel) when the window fits, else starting
// where the area starts. `window` is a window's position (its frame's corner) and size.
inline void ExpectCentredOn(const QRect& window, const QRect& area)
{
    auto axis = [](int start, int length, int areaStart, int areaLength, const char* name) {
        if (length <= areaLength)
            EXPECT_LE(std::abs((2 * start + length) - (2 * areaStart + areaLength)), 2) << name;
        else
            EXPECT_EQ(start, areaStart) << name;
    };
    axis(window.x(), window.width(), area.x(), area.width(), "left");
    axis(window.y(), window.height(), area.y(), area.height(), "top");
}
