#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

class QPaintDevice;

// Fonts for printing. Painters are scaled so that one unit is one point on any device.
// Text is set in a font of one large pixel size and drawn scaled down to its point size:
// font engines round pixel sizes to whole pixels, which would make a 9.3-point text as
// wide as a 9-point one and defeat fitting text into a box. Hinting is off, so that the
// metrics scale with the size and a page lays out alike on a printer, a PDF and a preview.
namespace PrintFonts {

// The family of the desktop's user font.
QString userFontFamily();
// The user font's size, for a font size that is missing or not positive.
double userFontSize();
// The family offered for vertical text: the first installed one with vertical metrics in a
// fixed order of preference ("Hiragino Maru Gothic ProN", then the IPA families that the
// setup installs, then other common Japanese families), else the first installed Japanese
// family with vertical metrics, else any Japanese family, else the user font's. Fixed, so
// that fonts another package brings along do not change how the same set-up prints.
QString defaultVerticalFontFamily();
// The choice itself, given the installed Japanese families and which families are installed
// with vertical metrics.
QString chooseVerticalFontFamily(const QStringList &japanese,
                                 const std::function<bool(const QString &)> &isVertical,
                                 const QString &userFont);
// The family vertical text is set in for a stored name: the stored family where installed,
// else the default one. An empty name stays empty.
QString verticalFontFamily(const QString &stored);
// Whether a family's font carries vertical metrics (an OpenType "vhea" table).
bool hasVerticalMetrics(const QString &family);
// Device pixels per point.
double pointScale(const QPaintDevice &device);

} // namespace PrintFonts

// A font family at a size in points: `font` is set at the reference pixel size, and its
// metrics times `scale` are points.
struct PrintFont {
    static constexpr int referencePixelSize = 128;

    // The user font when `family` is empty.
    PrintFont(const QString &family, double pointSize);
    QFont font;
    double pointSize = 0;
    double scale() const { return pointSize / referencePixelSize; }
};
