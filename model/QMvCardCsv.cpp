// Contacts to comma- and tab-separated text and back.
#include "model/QMvCard.h"

#include "platform/contacts/CNLabels.h"

#include <QHash>
#include <QRegularExpression>

namespace {

const QString home = QStringLiteral("home");
const QString work = QStringLiteral("work");
const QString other = QStringLiteral("other");
const QString mobile = QStringLiteral("mobile");

// The one cell of a CSV file (RFC 4180): quoted when it holds a comma, a quote or a line
// break, inner quotes doubled; tabs and line breaks stay as they are.
void appendCsvCell(QString &line, const QString &cell) {
    bool quote = false;
    for (QChar c : cell) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        line += cell;
        return;
    }
    line += u'"';
    for (QChar c : cell) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

// In the CSV file a column labeled "other" takes every value that has no home or work
// column of its own (mobile, fax, custom labels, none), so no number is left out.
bool labelFitsColumn(const QString &label, const QString &columnLabel, bool forCsvFile) {
    if (label == columnLabel)
        return true;
    return forCsvFile && columnLabel == other && label != home && label != work;
}

struct CsvRecord {
    QStringList fields;
    qsizetype length = 0; // characters of the record's text, line break left out
    qsizetype end = 0;    // the position past its line break
};

bool endsCell(QChar c) {
    return c == u',' || c == u'\r' || c == u'\n';
}

// A lenient RFC 4180 reader: quoted cells may hold commas, doubled quotes and line
// breaks; text after a closing quote joins the cell; an unclosed quote runs to the end.
// It hands out one record at a time, so a large file never exists as cells all at once,
// and each cell is one allocation of its own length: the contacts keep the cells' texts.
class CsvCursor {
public:
    explicit CsvCursor(QStringView text)
        : text_(text) {}

    // The next record into `record`, whose cell list is reused; false past the end.
    bool next(CsvRecord &record) {
        const qsizetype size = text_.size();
        qsizetype i = at_;
        if (i >= size)
            return false;
        record.fields.clear();
        const qsizetype start = i;
        for (;;) {
            QString field;
            if (i < size && text_[i] == u'"') {
                field = quotedCell(i);
            } else {
                const qsizetype from = i;
                while (i < size && !endsCell(text_[i]))
                    ++i;
                if (i > from)
                    field = text_.sliced(from, i - from).toString();
            }
            record.fields.append(std::move(field));
            if (i < size && text_[i] == u',') {
                ++i;
                continue;
            }
            break;
        }
        record.length = i - start;
        if (i < size && text_[i] == u'\r')
            ++i;
        if (i < size && text_[i] == u'\n')
            ++i;
        record.end = at_ = i;
        return true;
    }

private:
    // The cell whose opening quote is at `i`; `i` ends at the separator or line break
    // after it, or at the end of the text.
    QString quotedCell(qsizetype &i) const {
        const qsizetype size = text_.size();
        QString field;
        qsizetype from = ++i;
        bool closed = false;
        while (i < size && !closed) {
            if (text_[i] != u'"') {
                ++i;
                continue;
            }
            field += text_.sliced(from, i - from);
            if (i + 1 < size && text_[i + 1] == u'"') {
                field += u'"';
                i += 2;
                from = i;
            } else {
                ++i;
                closed = true;
            }
        }
        if (!closed)
            field += text_.sliced(from, i - from);
        // Text between the closing quote and the next separator stays in the cell.
        from = i;
        while (i < size && !endsCell(text_[i]))
            ++i;
        field += text_.sliced(from, i - from);
        if (field.capacity() > field.size())
            field.squeeze();
        return field;
    }

    QStringView text_;
    qsizetype at_ = 0;
};

// "yyyy.MM.dd" at the start, whatever follows (the weekday in any language), or "MM.dd"
// for a birthday without a year, as this program writes them; then the forms other
// address books export: ISO 8601 ("1980-05-17", "--05-17"), "1980/05/17", the United
// States' "5/17/1980" (day first when the first number cannot be a month) and
// "17.5.1980".
std::optional<DateComponents> birthdayFromText(const QString &text) {
    static const QRegularExpression withYear(QStringLiteral("^(\\d{4})\\.(\\d{1,2})\\.(\\d{1,2})(?!\\d)"));
    static const QRegularExpression withoutYear(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})(?![\\d.])"));
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})[-/](\\d{1,2})[-/](\\d{1,2})$"));
    static const QRegularExpression isoWithoutYear(QStringLiteral("^--(\\d{2})-?(\\d{2})$"));
    static const QRegularExpression yearLast(QStringLiteral("^(\\d{1,2})([/.])(\\d{1,2})[/.](\\d{4})$"));
    DateComponents date;
    const QString trimmed = text.trimmed();
    if (const auto match = withYear.match(trimmed); match.hasMatch())
        date =
            DateComponents(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    else if (const auto match = withoutYear.match(trimmed); match.hasMatch())
        date =
            DateComponents(DateComponents::Undefined, match.captured(1).toInt(), match.captured(2).toInt());
    else if (const auto match = iso.match(trimmed); match.hasMatch())
        date =
            DateComponents(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    else if (const auto match = isoWithoutYear.match(trimmed); match.hasMatch())
        date =
            DateComponents(DateComponents::Undefined, match.captured(1).toInt(), match.captured(2).toInt());
    else if (const auto match = yearLast.match(trimmed); match.hasMatch()) {
        int first = match.captured(1).toInt();
        int second = match.captured(3).toInt();
        if (match.captured(2) == u'.' || first > 12)
            std::swap(first, second); // day first
        date = DateComponents(match.captured(4).toInt(), first, second);
    } else
        return std::nullopt;
    return date.isValidDate() ? std::optional<DateComponents>(date) : std::nullopt;
}

LabeledValueRecord *firstWithLabel(LabeledValueList &list, const QString &label) {
    for (LabeledValueRecord &record : list)
        if (record.labelText() == label)
            return &record;
    return nullptr;
}

QString textOf(const CsvContactValues &contact, const QString &identifier) {
    for (const auto &[key, value] : contact.texts)
        if (key == identifier)
            return value;
    return {};
}

void setText(CsvContactValues &contact, const QString &identifier, const QString &value) {
    for (auto &[key, text] : contact.texts) {
        if (key == identifier) {
            text = value;
            return;
        }
    }
    contact.texts.append({identifier, value});
}

// The name as the record will hold it: a "Name" cell without name parts becomes the given
// name, or marks a company card when it is the company's name.
void settleName(CsvContactValues &contact) {
    const QString company = textOf(contact, FieldId::Company);
    const QString cell = contact.nameCell;
    if (cell.isEmpty())
        return;
    NameRecord &name = contact.name ? *contact.name : contact.name.emplace();
    const bool hasParts = !name.firstName.isEmpty() || !name.lastName.isEmpty();
    if (cell == company && !company.isEmpty()) {
        if (!hasParts || QMPerson::compositeNameFromNameDict(name) != cell)
            name.showAsPerson = false;
    } else if (!hasParts) {
        name.firstName = cell;
    }
}

// A person's values as one line reads them, each list fetched once.
struct PersonFields {
    explicit PersonFields(QMPerson &person)
        : person(person) {}

    NameRecord &name() {
        if (!name_)
            name_ = person.nameValue();
        return *name_;
    }
    // The value at a position of a labeled field or item, or nullptr.
    const LabeledValueRecord *at(const QString &identifier, qint64 index) {
        // A line asks for a few fields: a short list beats hashing their names.
        const LabeledValueList *list = nullptr;
        for (const auto &[name, values] : lists_)
            if (name == identifier)
                list = &values;
        if (!list) {
            lists_.append(
                {identifier, person.labeledValueForIdentifier(identifier).value_or(LabeledValueList())});
            list = &lists_.last().second;
        }
        return index >= 0 && index < list->size() ? &list->at(index) : nullptr;
    }

    QMPerson &person;

private:
    std::optional<NameRecord> name_;
    QList<std::pair<QString, LabeledValueList>> lists_;
};

QString fieldText(const QString &identifier, const QString &label, qint64 index, PersonFields &fields,
                  bool shouldLocalize, bool forCsvFile) {
    QMPerson &person = fields.person;
    if (identifier == FieldId::Name) {
        NameRecord &name = fields.name();
        if (!label.isEmpty()) {
            const QString *part = name.part(label);
            return part ? *part : QString();
        }
        // A contact without a name has an empty cell in the file, not the placeholder.
        if (forCsvFile)
            return person.showAsPerson() ? name.stringValue
                                         : person.stringValueForIdentifier(FieldId::Company);
        return person.compositeName();
    }
    if (identifier == FieldId::PhoneticName) {
        const auto phonetic = person.phoneticNameValue();
        return phonetic ? phonetic->stringValue : QString();
    }
    const bool builtInList = QMPerson::labeledIdentifiers().contains(identifier);
    const bool addressPart = !builtInList && QMPerson::addressIdentifiers().contains(identifier);
    const QString type = builtInList || addressPart ? QString() : person.typeForIdentifier(identifier);
    if (builtInList || type == ValueKind::Labeled) {
        if (index < 0)
            return {};
        const LabeledValueRecord *record = fields.at(identifier, index);
        if (!record)
            return {};
        QString valueLabel = record->labelText();
        if (shouldLocalize && !forCsvFile)
            valueLabel = QMPerson::localizedLabelFromCNLabel(
                QMPerson::CNLabelFromLabel(valueLabel).value_or(QString()));
        if (record->stringValue.isEmpty() || (valueLabel.isEmpty() && !forCsvFile))
            return {};
        if (label.isEmpty())
            return valueLabel + u':' + record->stringValue;
        return labelFitsColumn(valueLabel, label, forCsvFile) ? record->stringValue : QString();
    }
    if (addressPart) {
        if (index < 0)
            return {};
        const LabeledValueRecord *record = fields.at(FieldId::Address, index);
        if (!record)
            return {};
        const QString *part = record->addressPart(identifier);
        const QString valueLabel = record->labelText();
        if (!part || part->isEmpty() || (valueLabel.isEmpty() && !forCsvFile))
            return {};
        if (label.isEmpty())
            return *part;
        return labelFitsColumn(valueLabel, label, forCsvFile) ? *part : QString();
    }
    if (identifier == FieldId::Birthday) {
        const auto birthday = person.birthdayValue();
        return birthday ? birthday->stringValue : QString();
    }
    if (type == ValueKind::String)
        return person.stringValueForIdentifier(identifier);
    return {};
}

} // namespace

// ---- Writing

const QList<CsvColumn> &QMvCard::csvColumns() {
    static const QList<CsvColumn> columns = {
        {QStringLiteral("Name"), FieldId::Name, {}},
        {QStringLiteral("Home Phone"), FieldId::Phone, home},
        {QStringLiteral("Work Phone"), FieldId::Phone, work},
        {QStringLiteral("Other Phone"), FieldId::Phone, other},
        {QStringLiteral("Home Email"), FieldId::Email, home},
        {QStringLiteral("Work Email"), FieldId::Email, work},
        {QStringLiteral("Other Email"), FieldId::Email, other},
        {QStringLiteral("Home ZIP"), FieldId::ZIP, home},
        {QStringLiteral("Home State"), FieldId::State, home},
        {QStringLiteral("Home City"), FieldId::City, home},
        {QStringLiteral("Home Street"), FieldId::Street, home},
        {QStringLiteral("Work ZIP"), FieldId::ZIP, work},
        {QStringLiteral("Work State"), FieldId::State, work},
        {QStringLiteral("Work City"), FieldId::City, work},
        {QStringLiteral("Work Street"), FieldId::Street, work},
        {QStringLiteral("Other ZIP"), FieldId::ZIP, other},
        {QStringLiteral("Other State"), FieldId::State, other},
        {QStringLiteral("Other City"), FieldId::City, other},
        {QStringLiteral("Other Street"), FieldId::Street, other},
        {QStringLiteral("Birthday"), FieldId::Birthday, {}},
        {QStringLiteral("Title"), FieldId::Title, {}},
        {QStringLiteral("Company"), FieldId::Company, {}},
        {QStringLiteral("Department"), FieldId::Department, {}},
        {QStringLiteral("Job Title"), FieldId::JobTitle, {}},
        {QStringLiteral("First Name"), FieldId::Name, FieldId::FirstName},
        {QStringLiteral("Last Name"), FieldId::Name, FieldId::LastName},
        {QStringLiteral("Nickname"), FieldId::Nickname, {}},
        {QStringLiteral("Note"), FieldId::Note, {}},
        {QStringLiteral("Facebook"), FieldId::SocialNetwork, CNSocialProfileServiceFacebook},
        {QStringLiteral("LinkedIn"), FieldId::SocialNetwork, CNSocialProfileServiceLinkedIn},
        {QStringLiteral("Flickr"), FieldId::SocialNetwork, CNSocialProfileServiceFlickr},
        {QStringLiteral("SinaWeibo"), FieldId::SocialNetwork, CNSocialProfileServiceSinaWeibo},
    };
    return columns;
}

QString QMvCard::csvHeaderLine() {
    QStringList headings;
    for (const CsvColumn &column : csvColumns())
        headings.append(column.fieldName);
    return headings.join(u',') + u'\n';
}

QString QMvCard::stringForIdentifier(const QString &identifier, const QString &label, qint64 index,
                                     QMPerson &person, bool shouldLocalize) const {
    PersonFields fields(person);
    return fieldText(identifier, label, index, fields, shouldLocalize, false);
}

void QMvCard::appendCsvLine(QString &text, QMPerson &person, qint64 labelIndex) const {
    PersonFields fields(person);
    bool first = true;
    for (const CsvColumn &column : csvColumns()) {
        if (!first)
            text += u',';
        first = false;
        // Labels are compared as the words they are, so any interface language fills the
        // columns.
        appendCsvCell(text, fieldText(column.type, column.label, labelIndex, fields, false, true));
    }
    text += u'\n';
}

QString QMvCard::separatedLine(QMPerson &person, qint64 labelIndex, const QStringList &identifiers,
                               const QString &separator, bool shouldLocalize) const {
    PersonFields fields(person);
    QString line;
    for (const QString &identifier : identifiers) {
        QString text = fieldText(identifier, QString(), labelIndex, fields, shouldLocalize, false);
        if (!text.isEmpty()) {
            text.replace(u'\n', QLatin1String("\\n"));
            text.replace(u'\t', QLatin1String("\\t"));
            // Comma-separated cells follow the CSV file's rules, so a comma stays in its cell.
            if (separator == QLatin1String(","))
                appendCsvCell(line, text);
            else
                line += text;
        }
        line += separator;
    }
    if (line.size() > separator.size())
        line.chop(separator.size());
    return line;
}

// ---- Reading

QStringList QMvCard::fieldsOfCsvLine(QStringView line) {
    CsvRecord record;
    return CsvCursor(line).next(record) ? record.fields : QStringList{QString()};
}

std::optional<DateComponents> QMvCard::dateComponentsFromText(const QString &text) {
    return birthdayFromText(text);
}

QString QMvCard::detectType(const QString &heading) {
    static const QList<std::pair<QString, QString>> tests = {
        {QStringLiteral("First Name"), FieldId::FirstName},
        {QStringLiteral("Last Name"), FieldId::LastName},
        {QStringLiteral("Nickname"), FieldId::Nickname},
        {QStringLiteral("Name"), FieldId::Name},
        {QStringLiteral("Phone"), FieldId::Phone},
        {QStringLiteral("Email"), FieldId::Email},
        {QStringLiteral("ZIP"), FieldId::Address},
        {QStringLiteral("State"), FieldId::Address},
        {QStringLiteral("City"), FieldId::Address},
        {QStringLiteral("Street"), FieldId::Address},
        {QStringLiteral("Birthday"), FieldId::Birthday},
        {QStringLiteral("Job Title"), FieldId::JobTitle},
        {QStringLiteral("Title"), FieldId::Title},
        {QStringLiteral("Company"), FieldId::Company},
        {QStringLiteral("Department"), FieldId::Department},
        {QStringLiteral("Note"), FieldId::Note},
        {QStringLiteral("Facebook"), QStringLiteral("Facebook")},
        {QStringLiteral("LinkedIn"), QStringLiteral("LinkedIn")},
        {QStringLiteral("Flickr"), QStringLiteral("Flickr")},
        {QStringLiteral("SinaWeibo"), QStringLiteral("SinaWeibo")},
    };
    for (const auto &[word, key] : tests)
        if (heading.contains(word, Qt::CaseInsensitive))
            return key;
    return {};
}

QString QMvCard::detectLabel(const QString &heading) {
    if (heading.contains(QLatin1String("Home"), Qt::CaseInsensitive))
        return home;
    if (heading.contains(QLatin1String("Work"), Qt::CaseInsensitive) ||
        heading.contains(QLatin1String("Business"), Qt::CaseInsensitive))
        return work;
    if (heading.contains(QLatin1String("Mobile"), Qt::CaseInsensitive))
        return mobile;
    return other;
}

QString QMvCard::detectAddressType(const QString &heading) {
    for (const QString &part : {FieldId::ZIP, FieldId::State, FieldId::City})
        if (heading.contains(part, Qt::CaseInsensitive))
            return part;
    return FieldId::Street;
}

namespace {

const QString birthYear = QStringLiteral("Birth Year");
const QString birthMonth = QStringLiteral("Birth Month");
const QString birthDay = QStringLiteral("Birth Day");
const QString streetLine = QStringLiteral("Street line"); // a further line of the street
const QString categoriesKey = QStringLiteral("Categories");
const QString unknownKey = QStringLiteral("Unknown");

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

LabeledValueRecord &newAddress(CsvContactValues &contact, const QString &label) {
    LabeledValueRecord added;
    added.label = label;
    added.labelIndex = contact.addresses.size();
    contact.addresses.append(added);
    return contact.addresses.last();
}

void appendValue(LabeledValueList &list, const QString &label, const QString &value) {
    LabeledValueRecord added;
    added.label = label;
    added.labelIndex = list.size();
    added.value = value;
    added.stringValue = value;
    list.append(added);
}

// A cell of another address book's export: its values are added to what the line has.
void addForeignCell(CsvContactValues &contact, const QString &value, const CsvColumn &column) {
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

} // namespace

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

void QMvCard::createContact(CsvContactValues &contact, const QString &value, const QString &key,
                            const QString &label) {
    if (value.isEmpty())
        return;
    if (key == FieldId::Name) {
        contact.nameCell = value;
    } else if (key == FieldId::FirstName || key == FieldId::LastName) {
        NameRecord &name = contact.name ? *contact.name : contact.name.emplace();
        *name.part(key) = value;
    } else if (key == FieldId::ZIP || key == FieldId::State || key == FieldId::City ||
               key == FieldId::Street || key == FieldId::Country) {
        LabeledValueRecord *address = firstWithLabel(contact.addresses, label);
        if (!address)
            address = &newAddress(contact, label);
        *address->addressPart(key) = value;
        QMPerson::updateAddressValue(*address, true);
    } else if (key == FieldId::Phone || key == FieldId::Email) {
        LabeledValueList &list = key == FieldId::Phone ? contact.phones : contact.emails;
        LabeledValueRecord *record = firstWithLabel(list, label);
        if (!record) {
            appendValue(list, label, value);
            return;
        }
        record->value = value;
        record->stringValue = value;
    } else if (key == FieldId::SocialNetwork) {
        LabeledValueRecord *record = firstWithLabel(contact.socialProfiles, label);
        if (!record) {
            LabeledValueRecord added;
            added.labelIndex = contact.socialProfiles.size();
            contact.socialProfiles.append(added);
            record = &contact.socialProfiles.last();
        }
        record->label = label;
        record->value = value;
        QMPerson::updateSNSValue(*record);
    } else if (key == FieldId::Birthday) {
        BirthdayRecord &birthday = contact.birthday ? *contact.birthday : contact.birthday.emplace();
        birthday.stringValue = value;
        birthday.value = birthdayFromText(value);
    } else if (key == FieldId::Company || key == FieldId::Title || key == FieldId::JobTitle ||
               key == FieldId::Department || key == FieldId::Nickname || key == FieldId::Note) {
        setText(contact, key, value);
    }
}

std::optional<QList<std::pair<ContactEntry, QStringList>>>
QMvCard::csvContacts(const QString &text, const ProgressHandler &progressHandler) const {
    QStringView body(text);
    if (body.startsWith(QChar(0xFEFF)))
        body = body.sliced(1);
    const qsizetype bodyStart = text.size() - body.size();
    CsvCursor cursor(body);
    CsvRecord record;
    QList<std::pair<ContactEntry, QStringList>> contacts;
    if (!cursor.next(record))
        return contacts;

    QList<CsvColumn> columns;
    if (record.length > 0) {
        for (const QString &heading : std::as_const(record.fields)) {
            if (const auto foreign = foreignColumn(heading)) {
                columns.append(*foreign);
                continue;
            }
            CsvColumn column(heading, unknownKey);
            const QString key = detectType(heading);
            if (key == FieldId::Phone || key == FieldId::Email) {
                column.type = key;
                column.label = detectLabel(heading);
            } else if (key == FieldId::Address) {
                column.type = detectAddressType(heading);
                column.label = detectLabel(heading);
            } else if (key == QLatin1String("Facebook") || key == QLatin1String("LinkedIn") ||
                       key == QLatin1String("Flickr") || key == QLatin1String("SinaWeibo")) {
                // The writer's spelling of the service, so profiles come back as written.
                column.type = FieldId::SocialNetwork;
                for (const CsvColumn &written : csvColumns())
                    if (written.fieldName == key)
                        column.label = written.label;
            } else if (!key.isEmpty()) {
                column.type = key;
            }
            columns.append(column);
        }
    }

    // Each line becomes its contact before the next is read.
    while (cursor.next(record)) {
        if (progressHandler) {
            bool stop = false;
            progressHandler(&stop, quint64(bodyStart + record.end));
            if (stop)
                return std::nullopt;
        }
        if (record.length < 2)
            continue;
        CsvContactValues values;
        for (qsizetype i = 0; i < record.fields.size() && i < columns.size(); ++i) {
            if (!columns[i].foreign)
                createContact(values, record.fields[i], columns[i].type, columns[i].label);
            else if (!record.fields[i].isEmpty())
                addForeignCell(values, record.fields[i], columns[i]);
        }
        settleName(values);
        if (values.birthMonth && values.birthDay) {
            const DateComponents date(values.birthYear.value_or(DateComponents::Undefined),
                                      *values.birthMonth, *values.birthDay);
            if (date.isValidDate())
                values.birthday.emplace().value = date;
        }

        auto person = std::make_shared<QMPerson>();
        if (values.name)
            person->setValue(*values.name, FieldId::Name);
        if (values.phoneticName)
            person->setValue(*values.phoneticName, FieldId::PhoneticName);
        const std::pair<const LabeledValueList &, const QString &> lists[] = {
            {values.emails, FieldId::Email},
            {values.socialProfiles, FieldId::SocialNetwork},
            {values.urls, FieldId::URL},
            {values.phones, FieldId::Phone},
            {values.addresses, FieldId::Address}};
        for (const auto &[list, identifier] : lists)
            if (!list.isEmpty())
                person->setValue(list, identifier);
        for (const QString &identifier :
             {FieldId::Nickname, FieldId::Birthday, FieldId::Suffix, FieldId::Title, FieldId::Company,
              FieldId::Department, FieldId::JobTitle, FieldId::Note}) {
            if (identifier == FieldId::Birthday) {
                if (values.birthday)
                    person->setValue(*values.birthday, FieldId::Birthday);
                continue;
            }
            const QString value = textOf(values, identifier);
            if (!value.isEmpty())
                person->setValue(value, identifier);
        }
        ContactEntry entry;
        entry.uniqueId = person->uniqueId();
        entry.person = std::move(person);
        contacts.append({std::move(entry), values.categories});
    }
    return contacts;
}

ContactTable QMvCard::contactsFromCSV(const QString &text) const {
    ContactTable contacts;
    auto read = csvContacts(text);
    contacts.reserve(read->size());
    for (auto &[entry, categories] : *read)
        contacts.append(std::move(entry));
    return contacts;
}

std::shared_ptr<ContainerTable> QMvCard::containersFromCSV(const QString &text,
                                                           const ProgressHandler &progressHandler) const {
    std::optional<QList<std::pair<ContactEntry, QStringList>>> contacts = csvContacts(text, progressHandler);
    if (!contacts)
        return nullptr;
    ContainerRecord container = fileContainer();
    const SharedGroup all = container.groups.first();
    all->contactTable->reserve(contacts->size());
    CategoryGroups groups(container);
    for (auto &[entry, categories] : *contacts) {
        for (const SharedGroup &group : groups.groupsFor(categories))
            group->contactTable->append(entry);
        all->contactTable->append(std::move(entry));
    }
    sortGroups(container);
    return std::make_shared<ContainerTable>(ContainerTable{container});
}
