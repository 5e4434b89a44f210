#pragma once

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

// Row heights of the lists for a font. The font's size in logical pixels stands for the other
// platform's size in points (both count device-independent units), in both variants.

// The height of the font's line and its size, the two measures both variants start from.
inline std::pair<double, double> fontLineAndSize(const QFont &font) {
    const QFontMetricsF metrics(font);
    return {metrics.ascent() + metrics.descent() + metrics.leading(), double(QFontInfo(font).pixelSize())};
}

// The group list, the detail panel and the contact popover: the larger of the line height
// plus 9 and 1.42 times the size, never below 20.
inline double listRowHeight(double lineHeight, double size) {
    const double byLine = std::ceil(lineHeight) + 9.0;
    const double bySize = std::ceil(size * 1.42);
    return std::max({byLine, bySize, 20.0});
}

inline double listRowHeight(const QFont &font) {
    const auto [line, size] = fontLineAndSize(font);
    return listRowHeight(line, size);
}

// The contacts table adds the 9 after taking the larger of the two: 20 while that stays
// below 11.
inline qint64 tableRowHeight(double lineHeight, double size) {
    const qint64 h = std::max(qint64(std::ceil(lineHeight)), qint64(std::ceil(size * 1.42)));
    return h < 11 ? 20 : h + 9;
}

inline qint64 tableRowHeight(const QFont &font) {
    const auto [line, size] = fontLineAndSize(font);
    return tableRowHeight(line, size);
}
