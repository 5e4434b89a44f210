// The headings of other address books' CSV exports (Google, Outlook, Outlook.com,
// Thunderbird) and the cells of their columns.
#include "model/QMvCard.h"
#include "model/QMvCardCsvInternal.h"

#include "platform/contacts/CNLabels.h"

#include <QHash>
#include <QRegularExpression>

using namespace QMvCardCsvInternal;

namespace {

const QString birthYear = QStringLiteral("Birth Year");
const QString birthMonth = QStringLiteral("Birth Month");
const QString birthDay = QStringLiteral("Birth Day");
const QString streetLine = QStringLiteral("Street line"); // a further line of the street
const QString categoriesKey = QStringLiteral("Categories");

// The headings of the widespread address-book exports. Their words would mislead the
// word test ("Given Name" holds "Name", "E-mail Address" no "Email"); what they hold
// that no field takes is left out rather than guessed.
struct ForeignHeading {
    const char *heading;
    const QString &type;
    const char *label = nullptr;
};

const QHash<QString, CsvColumn> &foreignHeadings() {
    static const QHash<QString, CsvColumn> table = [] {
        const ForeignHeading headings[] = {
            // Names: Google, Outlook, Outlook.com, Thunderbird.
            {"Name", FieldId::Name},
            {"Display Name", FieldId::Name},
            {"Given Name", FieldId::FirstName},
            {"Additional Name", FieldId::MiddleName},
            {"Middle Name", FieldId::MiddleName},
            {"Family Name", FieldId::LastName},
            {"Maiden Name", FieldId::PreviousFamilyName},
            {"Given Name Yomi", FieldId::PhoneticFirstName},
            {"Additional Name Yomi", FieldId::PhoneticMiddleName},
            {"Family Name Yomi", FieldId::PhoneticLastName},
            {"Phonetic First Name", FieldId::PhoneticFirstName},
            {"Phonetic Middle Name", FieldId::PhoneticMiddleName},
            {"Phonetic Last Name", FieldId::PhoneticLastName},
            {"Given Yomi", FieldId::PhoneticFirstName},
            {"Surname Yomi", FieldId::PhoneticLastName},
            {"Name Prefix", FieldId::Title},
            {"Name Suffix", FieldId::Suffix},
            {"Suffix", FieldId::Suffix},
            {"Notes", FieldId::Note},
            {"Organization", FieldId::Company},
            {"Organization Name", FieldId::Company},
            {"Organization Title", FieldId::JobTitle},
            {"Organization Department", FieldId::Department},
            {"Group Membership", categoriesKey, " ::: "},
            {"Labels", categoriesKey, " ::: "},
            {"Categories", categoriesKey, ";"},
            {"Birth Year", birthYear},
            {"Birth Month", birthMonth},
            {"Birth Day", birthDay},
            // E-mail addresses carry no kind.
            {"E-mail Address", FieldId::Email, "other"},
            {"E-mail 2 Address", FieldId::Email, "other"},
            {"E-mail 3 Address", FieldId::Email, "other"},
            {"Primary Email", FieldId::Email, "other"},
            {"Secondary Email", FieldId::Email, "other"},
            // Phones by kind.
            {"Assistant's Phone", FieldId::Phone, "assistant"},
            {"Business Fax", FieldId::Phone, "work fax"},
            {"Business Phone", FieldId::Phone, "work"},
            {"Business Phone 2", FieldId::Phone, "work"},
            {"Callback", FieldId::Phone, "callback"},
            {"Car Phone", FieldId::Phone, "car"},
            {"Company Main Phone", FieldId::Phone, "main"},
            {"Home Fax", FieldId::Phone, "home fax"},
            {"Home Phone 2", FieldId::Phone, "home"},
            {"ISDN", FieldId::Phone, "ISDN"},
            {"Mobile Phone", FieldId::Phone, "mobile"},
            {"Other Fax", FieldId::Phone, "other fax"},
            {"Pager", FieldId::Phone, "pager"},
            {"Primary Phone", FieldId::Phone, "main"},
            {"Radio Phone", FieldId::Phone, "radio"},
            {"TTY/TDD Phone", FieldId::Phone, "TTY/TDD"},
            {"Telex", FieldId::Phone, "telex"},
            {"Fax Number", FieldId::Phone, "other fax"},
            {"Pager Number", FieldId::Phone, "pager"},
            {"Mobile Number", FieldId::Phone, "mobile"},
            // Addresses by kind and part.
            {"Business Street", FieldId::Street, "work"},
            {"Business Street 2", streetLine, "work"},
            {"Business Street 3", streetLine, "work"},
            {"Business Address PO Box", streetLine, "work"},
            {"Business City", FieldId::City, "work"},
            {"Business State", FieldId::State, "work"},
            {"Business Postal Code", FieldId::ZIP, "work"},
            {"Business Country/Region", FieldId::Country, "work"},
            {"Home Street 2", streetLine, "home"},
            {"Home Street 3", streetLine, "home"},
            {"Home Address PO Box", streetLine, "home"},
            {"Home Postal Code", FieldId::ZIP, "home"},
            {"Home Country/Region", FieldId::Country, "home"},
            {"Other Street 2", streetLine, "other"},
            {"Other Street 3", streetLine, "other"},
            {"Other Address PO Box", streetLine, "other"},
            {"Other Postal Code", FieldId::ZIP, "other"},
            {"Other Country/Region", FieldId::Country, "other"},
            {"Home Address", FieldId::Street, "home"},
            {"Home Address 2", streetLine, "home"},
            {"Home ZipCode", FieldId::ZIP, "home"},
            {"Home Country", FieldId::Country, "home"},
            {"Work Address", FieldId::Street, "work"},
            {"Work Address 2", streetLine, "work"},
            {"Work ZipCode", FieldId::ZIP, "work"},
            {"Work Country", FieldId::Country, "work"},
            // Web pages.
            {"Web Page", FieldId::URL, "home page"},
            {"Personal Web Page", FieldId::URL, "home"},
            {"Web Page 1", FieldId::URL, "work"},
            {"Web Page 2", FieldId::URL, "home"},
            // Their own vocabulary that no field takes.
            {"Yomi Name", unknownKey},
            {"Short Name", unknownKey},
            {"File As", unknownKey},
            {"Company Yomi", unknownKey},
            {"Screen Name", unknownKey},
            {"E-mail Display Name", unknownKey},
            {"E-mail 2 Display Name", unknownKey},
            {"E-mail 3 Display Name", unknownKey},
            {"Assistant's Name", unknownKey},
            {"Manager's Name", unknownKey},
            {"Office Location", unknownKey},
            {"Government ID Number", unknownKey},
            {"Organizational ID Number", unknownKey},
            {"Billing Information", unknownKey},
            {"Directory Server", unknownKey},
        };
        QHash<QString, CsvColumn> columns;
        for (const ForeignHeading &entry : headings) {
            CsvColumn column;
            column.fieldName = QString::fromLatin1(entry.heading);
            column.type = entry.type;
            column.label = entry.label ? QString::fromUtf8(entry.label) : QString();
            column.foreign = true;
            columns.insert(column.fieldName.toLower(), column);
        }
        return columns;
    }();
    return table;
}

// Google's numbered headings: "E-mail 1 - Type", "Phone 2 - Value", "Address 1 - Street".
std::optional<CsvColumn> numberedColumn(const QString &heading) {
    static const QRegularExpression numbered(QStringLiteral("^(.+) (\\d+) - (.+)$"));
    const auto match = numbered.match(heading);
    if (!match.hasMatch())
        return std::nullopt;
    const QString kind = match.captured(1).toLower();
    static const QStringList kinds = {QStringLiteral("e-mail"),        QStringLiteral("phone"),
                                      QStringLiteral("address"),       QStringLiteral("website"),
                                      QStringLiteral("organization"),  QStringLiteral("relation"),
                                      QStringLiteral("event"),         QStringLiteral("im"),
                                      QStringLiteral("custom field"),  QStringLiteral("external id"),
                                      QStringLiteral("calendar link"), QStringLiteral("jot")};
    if (!kinds.contains(kind))
        return std::nullopt;
    const QString part = match.captured(3).toLower();
    CsvColumn column(heading, unknownKey);
    column.foreign = true;
    column.slot = kind + u'#' + match.captured(2);
    static const QHash<QString, QString> lists = {{QStringLiteral("e-mail"), FieldId::Email},
                                                  {QStringLiteral("phone"), FieldId::Phone},
                                                  {QStringLiteral("website"), FieldId::URL},
                                                  {QStringLiteral("address"), FieldId::Address}};
    static const QHash<QString, QString> addressParts = {
        {QStringLiteral("street"), FieldId::Street},  {QStringLiteral("city"), FieldId::City},
        {QStringLiteral("po box"), streetLine},       {QStringLiteral("extended address"), streetLine},
        {QStringLiteral("region"), FieldId::State},   {QStringLiteral("postal code"), FieldId::ZIP},
        {QStringLiteral("country"), FieldId::Country}};
    static const QHash<QString, QString> organizationParts = {
        {QStringLiteral("name"), FieldId::Company},
        {QStringLiteral("title"), FieldId::JobTitle},
        {QStringLiteral("department"), FieldId::Department}};
    const QString list = lists.value(kind);
    if (!list.isEmpty() && (part == u"type" || part == u"label")) {
        column.type = list;
        column.slotLabel = true;
    } else if (!list.isEmpty() && list != FieldId::Address && part == u"value") {
        column.type = list;
    } else if (list == FieldId::Address) {
        column.type = addressParts.value(part, unknownKey);
    } else if (kind == u"organization" && match.captured(2) == u'1') {
        column.type = organizationParts.value(part, unknownKey);
    }
    return column;
}

// The label word of a kind as an export writes it ("* Home", "Work Fax", "Profile"):
// a word this program knows, or the text itself.
QString labelFromExport(QString text) {
    text = text.trimmed();
    if (text.startsWith(QLatin1String("* ")))
        text = text.sliced(2);
    if (text.isEmpty())
        return other;
    if (const CNLabelEntry *entry = CNLabelEntryForWord(text.toLower()))
        return entry->word;
    if (const CNLabelEntry *entry = CNLabelEntryForWord(text))
        return entry->word;
    return text;
}

// The values one cell of an export holds: Google joins several with " ::: ".
QStringList exportValues(const QString &cell) {
    QStringList values = cell.split(QLatin1String(" ::: "), Qt::SkipEmptyParts);
    for (QString &value : values)
        value = value.trimmed();
    values.removeAll(QString());
    return values;
}

LabeledValueList &listOf(CsvContactValues &contact, const QString &type) {
    return type == FieldId::Phone ? contact.phones : type == FieldId::Email ? contact.emails : contact.urls;
}

} // namespace

void QMvCardCsvInternal::addForeignCell(CsvContactValues &contact, const QString &value,
                                        const CsvColumn &column) {
    const QString &type = column.type;
    if (column.slotLabel) {
        contact.slotLabels.insert(column.slot, labelFromExport(value));
        return;
    }
    const QString label =
        column.label.isEmpty() ? contact.slotLabels.value(column.slot, other) : column.label;
    if (type == FieldId::Phone || type == FieldId::Email || type == FieldId::URL) {
        for (const QString &one : exportValues(value))
            appendValue(listOf(contact, type), label, one);
    } else if (QMPerson::addressIdentifiers().contains(type) || type == streetLine) {
        // A numbered address is one per number; the others, one per kind.
        LabeledValueRecord *found = nullptr;
        if (column.slot.isEmpty())
            found = firstWithLabel(contact.addresses, label);
        else if (const qsizetype at = contact.slotAddresses.value(column.slot, -1); at >= 0)
            found = &contact.addresses[at];
        if (!found) {
            if (!column.slot.isEmpty())
                contact.slotAddresses.insert(column.slot, contact.addresses.size());
            found = &newAddress(contact, label);
        }
        LabeledValueRecord &address = *found;
        QString &part = *address.addressPart(type == streetLine ? FieldId::Street : type);
        part = type == streetLine && !part.isEmpty() ? part + u'\n' + value : value;
        QMPerson::updateAddressValue(address, true);
    } else if (type == FieldId::MiddleName || type == FieldId::PreviousFamilyName) {
        NameRecord &name = contact.name ? *contact.name : contact.name.emplace();
        *name.part(type) = value;
    } else if (type == FieldId::PhoneticFirstName || type == FieldId::PhoneticMiddleName ||
               type == FieldId::PhoneticLastName) {
        PhoneticNameRecord &phonetic =
            contact.phoneticName ? *contact.phoneticName : contact.phoneticName.emplace();
        *phonetic.part(type) = value;
    } else if (type == categoriesKey) {
        for (QString category : value.split(column.label, Qt::SkipEmptyParts)) {
            category = category.trimmed();
            // Every contact of a Google export is in "* myContacts": no group of the user's.
            if (category.startsWith(QLatin1String("* ")))
                category = category.sliced(2);
            if (category != u"myContacts")
                contact.categories.append(category);
        }
    } else if (type == birthYear || type == birthMonth || type == birthDay) {
        bool ok = false;
        const int number = value.trimmed().toInt(&ok);
        std::optional<int> &target = type == birthYear    ? contact.birthYear
                                     : type == birthMonth ? contact.birthMonth
                                                          : contact.birthDay;
        if (ok)
            target = number;
    } else if (type == FieldId::Birthday) {
        // Outlook writes "0/0/00" for no birthday.
        if (value.trimmed() != u"0/0/00")
            QMvCard::createContact(contact, value, type, {});
    } else if (type == FieldId::Suffix) {
        setText(contact, type, value);
    } else {
        QMvCard::createContact(contact, value, type, column.label);
    }
}

std::optional<CsvColumn> QMvCard::foreignColumn(const QString &heading) {
    // Our own headings keep their meaning, whoever else uses them.
    for (const CsvColumn &own : csvColumns())
        if (own.fieldName.compare(heading, Qt::CaseInsensitive) == 0)
            return std::nullopt;
    const auto found = foreignHeadings().constFind(heading.trimmed().toLower());
    if (found != foreignHeadings().constEnd())
        return *found;
    return numberedColumn(heading.trimmed());
}
