#pragma once

#include <QString>

// The escape for the lines the model writes into vCard text itself.
namespace VCardText {

// vCard 3.0 text: backslash, comma, semicolon, and line breaks (CR, LF and CRLF become \n).
// Strict readers cut an unescaped comma's value short, so every value of ours is escaped.
QString escaped(const QString &text);

} // namespace VCardText
