#pragma once

#include "platform/core/TextEncoding.h"
#include "platform/ui/Dialogs.h"

#include <QString>

#include <optional>

// Reads a whole file as text in an encoding (0 lets the encoding be detected). Failures
// come back as the errors the user sees: the file cannot be read, its bytes are not valid
// in the chosen encoding, or no encoding fits them.
namespace TextFile {

// Error codes, as the other platform numbered them.
constexpr int NoPermissionError = 257;
constexpr int NoSuchFileError = 260;
constexpr int ReadUnknownError = 256;
constexpr int InapplicableEncodingError = 261;
constexpr int UnknownEncodingError = 264;
constexpr int CorruptFileError = 259;
constexpr int TooLargeError = 263;

// Larger files are refused before a byte is read: a contacts file is never near it.
constexpr qint64 maximumFileSize = qint64(2) * 1024 * 1024 * 1024;

// Only a regular file of at most maximumFileSize bytes is read: a FIFO, a device (a link
// to /dev/zero), a folder or a link that leads back to itself gets an error saying so.
std::optional<QString> read(const QString &path, TextEncoding::Constant encoding, PlatformError *error);
// "The file “name” couldn’t be opened because it isn’t in the correct format."
PlatformError corruptFileError(const QString &path, const QString &recoverySuggestion = QString());

} // namespace TextFile
