#include "print/PrintFonts.h"

#include <QFontDatabase>
#include <QPaintDevice>
#include <QStringList>

namespace PrintFonts {

QString userFontFamily() { return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family(); }

double userFontSize() { return QFontDatabase::systemFont(QFontDatabase::GeneralFont).pointSizeF(); }

QString defaultVerticalFontFamily() {
    const QString preferred = QStringLiteral("Hiragino Maru Gothic ProN");
    if (QFontDatabase::hasFamily(preferred))
        return preferred;
    const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
    return japanese.isEmpty() ? userFontFamily() : japanese.first();
}

double pointScale(const QPaintDevice &device) { return device.logicalDpiY() / 72.0; }

} // namespace PrintFonts

PrintFont::PrintFont(const QString &family, double size)
    : font(family.isEmpty() ? PrintFonts::userFontFamily() : family)
    , pointSize(size) {
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setPixelSize(referencePixelSize);
}
