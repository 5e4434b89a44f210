#include "print/PrintFonts.h"

#include <QFontDatabase>
#include <QPaintDevice>
#include <QRawFont>
#include <QStringList>

namespace PrintFonts {

QString userFontFamily() { return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(); }

double userFontSize() { return QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF(); }

bool hasVerticalMetrics(const QString &family) {
    if (!QFontDatabase::hasFamily(family))
        return false;
    QFont font(family);
    font.setStyleStrategy(QFont::NoFontMerging);
    return !QRawFont::fromFont(font).fontTable("vhea").isEmpty();
}

QString chooseVerticalFontFamily(const QStringList &japanese,
                                 const std::function<bool(const QString &)> &isVertical,
                                 const QString &userFont) {
    static const QStringList preferred = {QStringLiteral("Hiragino Maru Gothic ProN"),
                                          QStringLiteral("IPAexGothic"),
                                          QStringLiteral("IPAGothic"),
                                          QStringLiteral("IPAexMincho"),
                                          QStringLiteral("IPAMincho"),
                                          QStringLiteral("IPAPGothic"),
                                          QStringLiteral("IPAPMincho"),
                                          QStringLiteral("Noto Sans CJK JP"),
                                          QStringLiteral("Noto Serif CJK JP"),
                                          QStringLiteral("Source Han Sans JP"),
                                          QStringLiteral("TakaoGothic"),
                                          QStringLiteral("TakaoMincho"),
                                          QStringLiteral("VL Gothic")};
    for (const QString &family : preferred)
        if (isVertical(family))
            return family;
    for (const QString &family : japanese)
        if (isVertical(family))
            return family;
    return japanese.isEmpty() ? userFont : japanese.first();
}

QString defaultVerticalFontFamily() {
    // Fonts are not installed while the program runs: the choice is made once.
    static const QString family = chooseVerticalFontFamily(QFontDatabase::families(QFontDatabase::Japanese),
                                                           hasVerticalMetrics, userFontFamily());
    return family;
}

QString verticalFontFamily(const QString &stored) {
    if (stored.isEmpty() || QFontDatabase::hasFamily(stored))
        return stored;
    return defaultVerticalFontFamily();
}

double pointScale(const QPaintDevice &device) { return device.logicalDpiY() / 72.0; }

} // namespace PrintFonts

PrintFont::PrintFont(const QString &family, double size)
    : font(family.isEmpty() ? PrintFonts::userFontFamily() : family)
    , pointSize(size) {
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(referencePixelSize);
}
