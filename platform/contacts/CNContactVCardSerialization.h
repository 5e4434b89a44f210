#pragma once

#include "platform/contacts/CNContact.h"

#include <QByteArray>
#include <QList>
#include <QString>

// vCard reading and writing. Reading takes vCard 2.1, 3.0 and (leniently) 4.0 in UTF-8;
// writing makes vCard 3.0 in UTF-8, CRLF after every line, folded at 75 octets. The
// writer leaves out the note and the image: the callers add their own lines for them
// (and for categories) just before "END:VCARD\r\n".
class CNContactVCardSerialization {
public:
    // Every card in the data, nested cards each on their own. On broken structure (no
    // card, a card without its END, cards nested more than eight deep) the result is
    // empty and *error says why. Unknown properties are ignored.
    static QList<CNContact> contactsWithData(const QByteArray &data, QString *error = nullptr);
    static QByteArray dataWithContacts(const QList<CNContact> &contacts, QString *error = nullptr);

    // Photo data larger than this is dropped (with a log line) instead of decoded.
    static constexpr qsizetype maximumImageDataSize = 16 * 1024 * 1024;
};
