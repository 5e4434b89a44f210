#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The QR code of a text: its UTF-8 bytes in byte mode at error-correction level L, each
// module `qrModuleScale` pixels, with a one-module white margin. A null image when the
// text is empty or too long for any QR code.
QImage createQRCodeFromString(const QString &string);
// Pixels per module for a code `symbolWidth` modules wide: small codes are drawn larger.
int qrModuleScale(int symbolWidth);
// The image drawn at the new size without smoothing, so modules stay sharp; a null image
// for a null source or an empty size.
QImage imageResize(const QImage &image, const QSize &newSize);
