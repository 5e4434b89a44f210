#pragma once

#include "platform/contacts/CNContact.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One X- property of a card that no field of its contact takes (a custom item to the
// model).
struct VCardExtension {
    QString name; // without "X-", as written
    // The TYPE parameter's values, else the X-ABLabel of the line's group; absent when the
    // line has neither.
    std::optional<QString> label;
    QString value; // decoded and unescaped
};

// What a card holds beyond the fields of its contact.
struct VCardExtras {
    QStringList categories; // CATEGORIES values in order, unescaped, not trimmed
    QList<VCardExtension> extensions;
    // The properties of lines that neither a field nor the lists above took (GEO, a photo
    // given by URL, an ORG that a later one replaced...), each once, upper case, in the
    // order met. The lines that say how the file was written (VERSION, PRODID) are none.
    QStringList leftOut;
    // The parameters of kept lines that no field takes, as "PROPERTY;PARAMETER" (ADR;GEO),
    // each once, upper case, in the order met.
    QStringList leftOutParameters;
};

// What reading gave besides the contacts, and what it had to leave out.
struct VCardReadDetails {
    QList<VCardExtras> extras;        // one per contact, in the contacts' order
    qsizetype photosLeftOut = 0;      // photos over maximumImageDataSize
    qsizetype nestedCardsLeftOut = 0; // cards nested deeper than maximumNesting
};

// vCard reading and writing. Reading takes vCard 2.1, 3.0 and (leniently) 4.0 in UTF-8;
// writing makes vCard 3.0 in UTF-8, CRLF after every line, folded at 75 octets. The
// writer leaves out the note and the image: the callers add their own lines for them
// (and for categories) just before "END:VCARD\r\n".
class CNContactVCardSerialization {
public:
    // Every card in the data, nested cards each on their own. On broken structure (no
    // card, a card without its END) the result is empty and *error says why. Cards nested
    // more than maximumNesting deep are left out. Unknown properties are ignored; with
    // details, CATEGORIES, unmapped X- properties and the names of the lines that no field
    // took are handed back per contact.
    static QList<CNContact> contactsWithData(const QByteArray &data, QString *error = nullptr,
                                             VCardReadDetails *details = nullptr);
    static QByteArray dataWithContacts(const QList<CNContact> &contacts, QString *error = nullptr);

    // Photo data larger than this is dropped (with a log line) instead of decoded.
    static constexpr qsizetype maximumImageDataSize = 16 * 1024 * 1024;
    // Real files nest a card in a card at most once (an agent's card); deeper nesting only
    // costs memory.
    static constexpr qsizetype maximumNesting = 8;
};
