#include "platform/ui/TextFile.h"

#include "platform/core/Localization.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TextFile {

namespace {
const QString kDomain = QStringLiteral("File");

void fail(PlatformError *error, int code, const QString &description) {
    if (error)
        *error = {kDomain, code, description, QString()};
}
} // namespace

namespace {
// The bytes of a regular file, read through one descriptor, so that what is checked is
// what is read. Opened without blocking: opening a FIFO would wait for a writer.
std::optional<QByteArray> readRegularFile(const QString &path, PlatformError *error) {
    const QString name = QFileInfo(path).fileName();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int problem = errno;
        if (problem == ENOENT || problem == ENOTDIR)
            fail(error, NoSuchFileError,
                 L("The file “%1” couldn’t be opened because there is no such file.").arg(name));
        else if (problem == EACCES || problem == EPERM)
            fail(error, NoPermissionError,
                 L("The file “%1” couldn’t be opened because you don’t have permission to view it.")
                     .arg(name));
        else if (problem == ELOOP)
            fail(error, ReadUnknownError,
                 L("The file “%1” couldn’t be opened because it is a link that leads back to itself.")
                     .arg(name));
        else
            fail(error, ReadUnknownError, L("The file “%1” couldn’t be opened.").arg(name));
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(error, ReadUnknownError, L("The file “%1” couldn’t be opened.").arg(name));
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        fail(error, ReadUnknownError,
             L("The file “%1” couldn’t be opened because it isn’t a regular file.").arg(name));
        return std::nullopt;
    }
    if (status.st_size > maximumFileSize) {
        fail(error, TooLargeError, L("The file “%1” couldn’t be opened because it is too large.").arg(name));
        return std::nullopt;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(error, ReadUnknownError, L("The file “%1” couldn’t be opened.").arg(name));
        return std::nullopt;
    }
    return bytes;
}
} // namespace

std::optional<QString> read(const QString &path, TextEncoding::Constant encoding, PlatformError *error) {
    const std::optional<QByteArray> bytes = readRegularFile(path, error);
    if (!bytes)
        return std::nullopt;
    TextEncoding::DecodeResult decoded = TextEncoding::decode(*bytes, encoding);
    if (decoded.ok)
        return std::move(decoded.text);
    const QString name = QFileInfo(path).fileName();
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
