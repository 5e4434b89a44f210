#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The text encodings a contacts file can be read in. Each has a stable number (the value
// stored and handed between the open panel and the document: 0 is "Automatic", 4 is
// UTF-8, 0x90000100 UTF-16 big-endian), an ICU converter and an English display name.
namespace TextEncoding {

using Constant = quint32;
constexpr Constant Automatic = 0;
constexpr Constant UTF8 = 4;
constexpr Constant UTF16BigEndian = 0x90000100;

struct Info {
    Constant constant;
    const char *name;      // English display name, e.g. "Japanese (Shift JIS)"; untranslated in settings
    const char *converter; // ICU converter name
};

// Every encoding this machine's ICU can convert, in display order.
const QList<Info> &availableEncodings();
const Info *find(Constant constant);
const Info *findByName(const QString &name);
QString localizedName(Constant constant);

struct DecodeResult {
    bool ok = false;
    QString text;
    Constant usedEncoding = Automatic;
    qsizetype errorOffset = -1; // first byte that is not valid in the encoding
};

// Strict: bytes that are not valid in the encoding fail the decode; nothing is
// silently replaced. A byte-order mark matching the encoding is dropped. UTF-8 bytes
// that a vCard fold splits (a line break and a blank inside one character) decode with
// that fold taken out.
DecodeResult decode(const QByteArray &bytes, Constant encoding);

// "Automatic": a byte-order mark, then strict UTF-8, then ICU's charset detector's
// candidates, then the locale's encoding.
DecodeResult decodeAutomatically(const QByteArray &bytes);

} // namespace TextEncoding
