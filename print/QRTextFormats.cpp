#include "print/QRTextFormats.h"

#include "model/QMPerson.h"
#include "model/VCardText.h"

#include <utility>

namespace {

const QString CRLF = QStringLiteral("\r\n");

// Line breaks in any form become blanks: every format here is read line by line.
QString lineBreaksToBlanks(const QString &original) {
    QString text = original;
    text.replace(CRLF, QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// MECARD's reserved characters; a raw one would end the field or start a new one.
QString mecardEscaped(const QString &text) {
    QString out;
    for (QChar c : lineBreaksToBlanks(text)) {
        if (c == u'\\' || c == u';' || c == u':' || c == u',')
            out += u'\\';
        out += c;
    }
    return out;
}

using TaggedValues = QList<std::pair<QString, QString>>;

// "TAG:value" + end for each value that is not empty after escaping.
QString taggedText(const QString &head, const TaggedValues &values, QChar end,
                   QString (*escape)(const QString &)) {
    QString text = head;
    for (const auto &[tag, value] : values) {
        const QString escaped = escape(value);
        if (!escaped.isEmpty())
            text += tag + u':' + escaped + end;
    }
    return text;
}

bool isWebAddress(const QString &text) {
    return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString webAddress(const QString &text) {
    return isWebAddress(text) ? text : QStringLiteral("http://") + text;
}

// The value of the last ticked row of the type: the carrier and link formats hold one.
QString lastSelectedValue(const QRFieldTable &table, const QString &type) {
    QString value;
    for (const QRFieldRow &row : table)
        if (row.type == type && row.selected)
            value = row.value;
    return value;
}

// "EMAIL;type=Work" for a home or work label (as stored), the bare property otherwise.
QString typedProperty(const QString &property, const QRFieldRow &row) {
    const QString label = row.label.value_or(QString());
    const QString lower = label.toLower();
    return lower == u"home" || lower == u"work" ? property + QStringLiteral(";type=") + label : property;
}

QString addressLine(const QRFieldRow &row) {
    QString line = typedProperty(QStringLiteral("ADR"), row) + QStringLiteral(":;;");
    const LabeledValueRecord &address = *row.addressValue;
    for (const QString &part : {address.street, address.city, address.state, address.zip, address.country}) {
        QString flat = lineBreaksToBlanks(part);
        flat.replace(QLatin1Char('\t'), QLatin1Char(' '));
        line += VCardText::escaped(flat) + u';';
    }
    line.chop(1);
    return line;
}

bool isOrganisationRow(const QRFieldRow &row) {
    return row.type == FieldId::Company || row.type == FieldId::Department || row.type == FieldId::JobTitle;
}

bool isSelected(const QRFieldTable &table, const QString &type) {
    for (const QRFieldRow &row : table)
        if (row.type == type)
            return row.selected;
    return false;
}

} // namespace

const QStringList &QRFormat::all() {
    static const QStringList formats{VCard, MECARD, MEMORY, MEMORYNoAddress, Phone, Email, URL};
    return formats;
}

QRFieldTable qrFieldTableForContact(QMPerson &person) {
    QRFieldTable table;
    const auto appendValues = [&table](const QString &type, const LabeledValueList &values, bool tickFirst) {
        if (values.isEmpty())
            table.append({type, std::nullopt, QString(), std::nullopt, false});
        for (qsizetype i = 0; i < values.size(); ++i) {
            const LabeledValueRecord &value = values[i];
            const bool address = type == FieldId::Address;
            table.append({type, value.label, address ? value.stringValue : value.valueText(),
                          address ? std::optional(value) : std::nullopt, tickFirst && i == 0});
        }
    };
    appendValues(FieldId::Phone, person.phoneValues(), true);
    appendValues(FieldId::Email, person.emailValues(), true);
    appendValues(FieldId::Address, person.addressValues(), true);
    appendValues(FieldId::URL, person.urlValues(), false);
    for (const QString &type : {FieldId::Company, FieldId::Department, FieldId::JobTitle})
        table.append({type, std::nullopt, person.stringValueForIdentifier(type), std::nullopt, false});
    return table;
}

bool qrRowIsEnabled(const QRFieldRow &row, const QString &format) {
    if (isOrganisationRow(row))
        return format == QRFormat::VCard;
    if (format == QRFormat::Phone)
        return row.type == FieldId::Phone;
    if (format == QRFormat::Email)
        return row.type == FieldId::Email;
    if (format == QRFormat::URL)
        return row.type == FieldId::URL;
    const bool carrier =
        format == QRFormat::MECARD || format == QRFormat::MEMORY || format == QRFormat::MEMORYNoAddress;
    return !(carrier && row.type == FieldId::URL);
}

QString qrRowTitle(const QRFieldRow &row) {
    if (isOrganisationRow(row) || row.value.isEmpty())
        return row.value;
    const QString label = row.label.value_or(QString());
    const QString title =
        label.isEmpty()
            ? label
            : QMPerson::localizedLabelFromCNLabel(QMPerson::CNLabelFromLabel(label).value_or(label));
    return title + QStringLiteral(": ") + row.value;
}

QString qrTextForFormat(const QString &format, QMPerson &person, const QRFieldTable &table) {
    if (format == QRFormat::VCard)
        return vCardFromContact(person, table);
    const QString phone = lastSelectedValue(table, FieldId::Phone);
    const QString email = lastSelectedValue(table, FieldId::Email);
    if (format == QRFormat::Phone)
        return QStringLiteral("tel:") + phone;
    if (format == QRFormat::Email)
        return QStringLiteral("mailto:") + email;
    if (format == QRFormat::URL) {
        const QString url = lastSelectedValue(table, FieldId::URL);
        return url.isEmpty() ? QStringLiteral("http:") : webAddress(url);
    }
    const QString name = person.compositeName();
    const auto phoneticRecord = person.phoneticNameValue();
    const QString phonetic = phoneticRecord ? phoneticRecord->stringValue : QString();
    const QString address = lastSelectedValue(table, FieldId::Address);
    if (format == QRFormat::MECARD)
        return taggedText(QStringLiteral("MECARD:"),
                          {{QStringLiteral("N"), name},
                           {QStringLiteral("SOUND"), phonetic},
                           {QStringLiteral("TEL"), phone},
                           {QStringLiteral("EMAIL"), email},
                           {QStringLiteral("ADR"), address}},
                          u';', mecardEscaped);
    if (format != QRFormat::MEMORY && format != QRFormat::MEMORYNoAddress)
        return QString();
    TaggedValues values{{QStringLiteral("NAME1"), name},
                        {QStringLiteral("NAME2"), phonetic},
                        {QStringLiteral("TEL1"), phone},
                        {QStringLiteral("MAIL1"), email}};
    if (format == QRFormat::MEMORY)
        values.append({QStringLiteral("ADD"), address});
    return taggedText(QStringLiteral("MEMORY:\n"), values, u'\n', lineBreaksToBlanks);
}

QString vCardFromContact(QMPerson &person, const QRFieldTable &selection) {
    using VCardText::escaped;
    QString text = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\n");
    const auto line = [&text](const QString &content) { text += content + CRLF; };
    line(QStringLiteral("FN:") + escaped(person.compositeName()));
    const NameRecord name = person.nameValue();
    line(QStringLiteral("N:") + escaped(name.lastName) + u';' + escaped(name.firstName) +
         QStringLiteral(";;;"));
    if (const auto phonetic = person.phoneticNameValue()) {
        if (!phonetic->firstName.isEmpty())
            line(QStringLiteral("X-PHONETIC-FIRST-NAME:") + escaped(phonetic->firstName));
        if (!phonetic->lastName.isEmpty())
            line(QStringLiteral("X-PHONETIC-LAST-NAME:") + escaped(phonetic->lastName));
    }
    const auto selectedRows = [&selection](const QString &type, auto each) {
        for (const QRFieldRow &row : selection)
            if (row.type == type && row.selected)
                each(row);
    };
    selectedRows(FieldId::Email, [&](const QRFieldRow &row) {
        line(typedProperty(QStringLiteral("EMAIL"), row) + u':' + escaped(row.value));
    });
    selectedRows(FieldId::Phone, [&](const QRFieldRow &row) {
        line(typedProperty(QStringLiteral("TEL"), row) + u':' + escaped(row.value));
    });
    selectedRows(FieldId::Address, [&](const QRFieldRow &row) {
        if (row.addressValue)
            line(addressLine(row));
    });
    // A URL has no vCard escapes; only a line break could break the line.
    selectedRows(FieldId::URL, [&](const QRFieldRow &row) {
        QString url = webAddress(row.value);
        url.remove(QLatin1Char('\r'));
        url.remove(QLatin1Char('\n'));
        line(typedProperty(QStringLiteral("URL"), row) + u':' + url);
    });
    const auto selectedText = [&](const QString &type) {
        return isSelected(selection, type) ? person.stringValueForIdentifier(type) : QString();
    };
    const QString company = selectedText(FieldId::Company);
    const QString department = selectedText(FieldId::Department);
    if (!company.isEmpty() || !department.isEmpty())
        line(QStringLiteral("ORG:") + escaped(company) + u';' + escaped(department));
    const QString jobTitle = selectedText(FieldId::JobTitle);
    if (!jobTitle.isEmpty())
        line(QStringLiteral("TITLE:") + escaped(jobTitle));
    line(QStringLiteral("END:VCARD"));
    return text;
}
