#include "print/QRCodeImage.h"

#include <qrencode.h>

#include <memory>

int qrModuleScale(int symbolWidth) {
    if (symbolWidth < 49)
        return 3;
    return symbolWidth < 57 ? 4 : 5;
}

QImage createQRCodeFromString(const QString &string) {
    const QByteArray bytes = string.toUtf8();
    if (bytes.isEmpty())
        return QImage();
    // encodeData keeps the whole text in byte mode; encodeString would switch modes.
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(int(bytes.size()), reinterpret_cast<const unsigned char *>(bytes.constData()), 0,
                          QR_ECLEVEL_L),
        &QRcode_free);
    if (!code)
        return QImage();
    const int width = code->width;
    QImage modules(width + 2, width + 2, QImage::Format_Grayscale8);
    modules.fill(255);
    for (int y = 0; y < width; ++y) {
        uchar *line = modules.scanLine(y + 1);
        for (int x = 0; x < width; ++x)
            if (code->data[y * width + x] & 1)
                line[x + 1] = 0;
    }
    const int side = (width + 2) * qrModuleScale(width);
    return imageResize(modules, QSize(side, side));
}

QImage imageResize(const QImage &image, const QSize &newSize) {
    if (image.isNull() || newSize.isEmpty())
        return QImage();
    return image.scaled(newSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
