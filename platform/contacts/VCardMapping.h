#pragma once

#include "platform/contacts/CNContact.h"
#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/contacts/CNFormatters.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The mapping layer between content lines and contacts (see VCardSyntax for the lines).
namespace VCardReader {
// Every card of the data; empty with *error set when the structure is broken.
QList<CNContact> read(QByteArrayView data, QString *error, VCardReadDetails *details);
} // namespace VCardReader

namespace VCardWriter {
// One card in vCard 3.0, CRLF after every line, "END:VCARD\r\n" last. The sort order
// decides the order of the formatted name for names that have no order of their own.
void append(QByteArray &out, const CNContact &contact, CNContactSortOrder userSortOrder);
} // namespace VCardWriter
