// The compact vCard text of a contact.
#include "model/QMPerson.h"
#include "model/VCardText.h"

namespace {

bool isHomeOrWork(const QString &label) {
    const QString lower = label.toLower();
    return lower == u"home" || lower == u"work";
}

// "NAME;type=label:value" for home and work, "NAME:value" for any other label.
void appendLabeledLines(QString &text, const QString &property, const LabeledValueList &list,
                        const std::set<qsizetype> &positions) {
    for (qsizetype position : positions) {
        if (position < 0 || position >= list.size())
            continue;
        const LabeledValueRecord &record = list[position];
        text += property;
        if (isHomeOrWork(record.labelText()))
            text += QStringLiteral(";type=") + record.labelText();
        text += u':' + VCardText::escaped(record.valueText()) + QStringLiteral("\r\n");
    }
}

} // namespace

QString QMPerson::simpleVCardWithOption(const SimpleVCardOptions &options) {
    using VCardText::escaped;
    const NameRecord name = nameValue();
    QString text = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\n");
    QString shown = showAsPerson_ ? name.stringValue : stringValueForIdentifier(FieldId::Company);
    if (shown.isEmpty())
        shown = QStringLiteral("No name");
    text += QStringLiteral("FN:") + escaped(shown) + QStringLiteral("\r\n");
    text += QStringLiteral("N:") + escaped(name.lastName) + u';' + escaped(name.firstName) +
            QStringLiteral(";;;\r\n");

    appendLabeledLines(text, QStringLiteral("EMAIL"), emailValues(), options.email);
    appendLabeledLines(text, QStringLiteral("TEL"), phoneValues(), options.phone);
    const LabeledValueList addresses = addressValues();
    for (qsizetype position : options.address) {
        if (position < 0 || position >= addresses.size())
            continue;
        const LabeledValueRecord &address = addresses[position];
        text += isHomeOrWork(address.labelText())
                    ? QStringLiteral("ADR;type=") + address.labelText() + QStringLiteral(":;;")
                    : QStringLiteral("ADR:;;");
        for (const QString &part :
             {address.street, address.city, address.state, address.zip, address.country})
            text += escaped(part) + u';';
        text.chop(1);
        text += QStringLiteral("\r\n");
    }
    appendLabeledLines(text, QStringLiteral("URL"), urlValues(), options.url);

    const QString company = stringValueForIdentifier(FieldId::Company);
    const QString department = stringValueForIdentifier(FieldId::Department);
    if (options.company && options.department)
        text +=
            QStringLiteral("ORG:") + escaped(company) + u';' + escaped(department) + QStringLiteral("\r\n");
    else if (options.company && !company.isEmpty())
        text += QStringLiteral("ORG:") + escaped(company) + QStringLiteral("\r\n");
    else if (options.department && !department.isEmpty())
        text += QStringLiteral("ORG:;") + escaped(department) + QStringLiteral("\r\n");
    const QString jobTitle = stringValueForIdentifier(FieldId::JobTitle);
    if (options.jobTitle && !jobTitle.isEmpty())
        text += QStringLiteral("TITLE:") + escaped(jobTitle) + QStringLiteral("\r\n");
    text += QStringLiteral("END:VCARD\r\n");
    return text;
}
