#pragma once

#include <QFont>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

// Row height of a list (group list, detail panel, contact popover) for a font: the larger
// of the line height plus 9 and 1.42 times the point size, never below 20.
inline double listRowHeight(double lineHeight, double pointSize) {
    const double byLine = std::ceil(lineHeight) + 9.0;
    const double byPoints = std::ceil(pointSize * 1.42);
    return std::max({byLine, byPoints, 20.0});
}

inline double listRowHeight(const QFont &font) {
    const QFontMetricsF metrics(font);
    const double pointSize = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    return listRowHeight(metrics.ascent() + metrics.descent() + metrics.leading(), pointSize);
}
