#pragma once

#include "model/PersonRecords.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QMPerson;

// One field the user may put into a contact's QR code text.
struct QRFieldRow {
    QString type; // "Phone", "Email", "Address", "URL", "Company", "Department" or "Job Title"
    // The value's label word; absent on organisation rows and on the placeholder of an empty field.
    std::optional<QString> label;
    // Phones, e-mails and URLs: the value; addresses: the one-text address; organisation
    // rows: the contact's text of that field.
    QString value;
    std::optional<LabeledValueRecord> addressValue; // address rows only
    bool selected = false;

    friend bool operator==(const QRFieldRow &, const QRFieldRow &) = default;
};
using QRFieldTable = QList<QRFieldRow>;

// The formats' keys, in the order the panel offers them. They are stored and compared
// untranslated; the panel shows them translated.
namespace QRFormat {
inline const QString VCard = QStringLiteral("vCard");
inline const QString MECARD = QStringLiteral("MECARD");
inline const QString MEMORY = QStringLiteral("MEMORY");
inline const QString MEMORYNoAddress = QStringLiteral("MEMORY (no address)");
inline const QString Phone = QStringLiteral("Phone");
inline const QString Email = QStringLiteral("Email");
inline const QString URL = QStringLiteral("URL");
const QStringList &all();
} // namespace QRFormat

// The rows of a contact: each phone, e-mail, address and URL (the first of each kind
// ticked, except URLs; one empty unticked row for a kind the contact lacks), then
// company, department and job title, unticked.
QRFieldTable qrFieldTableForContact(QMPerson &person);

// Whether the row's tick can be changed while the format is chosen.
bool qrRowIsEnabled(const QRFieldRow &row, const QString &format);
// The tick's title: "label: value" (label translated), or nothing for an empty value.
QString qrRowTitle(const QRFieldRow &row);

// The text the QR code carries for the format; empty for an unknown format.
QString qrTextForFormat(const QString &format, QMPerson &person, const QRFieldTable &table);
// A vCard 3.0 text of the name, phonetic name and every ticked row.
QString vCardFromContact(QMPerson &person, const QRFieldTable &selection);
