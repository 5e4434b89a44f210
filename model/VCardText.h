#pragma once

#include <QString>

// Escapes for the lines the model writes into vCard text itself.
namespace VCardText {

// vCard 3.0 text: backslash, comma, semicolon, and line breaks (CR, LF and CRLF become \n).
QString escaped(const QString &text);
// Backslash and line breaks only, for values whose commas and semicolons are kept as
// they are (NOTE, X- lines).
QString escapedLineBreaks(const QString &text);

} // namespace VCardText
