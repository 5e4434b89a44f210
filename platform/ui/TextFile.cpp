#include "platform/ui/TextFile.h"

#include "platform/core/Localization.h"

#include <QFile>
#include <QFileInfo>

namespace TextFile {

namespace {
const QString kDomain = QStringLiteral("File");

void fail(PlatformError *error, int code, const QString &description) {
    if (error)
        *error = {kDomain, code, description, QString()};
}
} // namespace

std::optional<QString> read(const QString &path, TextEncoding::Constant encoding, PlatformError *error) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!info.exists())
            fail(error, NoSuchFileError,
                 L("The file “%1” couldn’t be opened because there is no such file.").arg(name));
        else if (!info.isReadable())
            fail(error, NoPermissionError,
                 L("The file “%1” couldn’t be opened because you don’t have permission to view it.")
                     .arg(name));
        else
            fail(error, ReadUnknownError, L("The file “%1” couldn’t be opened.").arg(name));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(error, ReadUnknownError, L("The file “%1” couldn’t be opened.").arg(name));
        return std::nullopt;
    }
    TextEncoding::DecodeResult decoded = TextEncoding::decode(bytes, encoding);
    if (decoded.ok)
        return std::move(decoded.text);
    if (encoding == TextEncoding::Automatic)
        fail(error, UnknownEncodingError,
             L("The file “%1” couldn’t be opened because the text encoding of its contents can’t be "
               "determined.")
                 .arg(name));
    else
        fail(error, InapplicableEncodingError,
             L("The file “%1” couldn’t be opened using text encoding %2.")
                 .arg(name, TextEncoding::localizedName(encoding)));
    return std::nullopt;
}

PlatformError corruptFileError(const QString &path, const QString &recoverySuggestion) {
    return {QStringLiteral("Application"), CorruptFileError,
            L("The file “%1” couldn’t be opened because it isn’t in the correct format.")
                .arg(QFileInfo(path).fileName()),
            recoverySuggestion};
}

} // namespace TextFile
