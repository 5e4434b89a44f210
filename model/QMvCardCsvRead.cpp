// Comma-separated text into contacts: the records, this program's own headings and the
// contacts the lines become.
#include "model/QMvCard.h"
#include "model/QMvCardCsvInternal.h"

#include <QRegularExpression>

using namespace QMvCardCsvInternal;

namespace {

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

QString textOf(const CsvContactValues &contact, const QString &identifier) {
    for (const auto &[key, value] : contact.texts)
        if (key == identifier)
            return value;
    return {};
}

// The name as the record will hold it: a "Name" cell without name parts becomes the given
// name, or marks a company card when it is the company's name.
void settleName(CsvContactValues &contact) {
    const QString company = textOf(contact, FieldId::Company);
    const QString cell = contact.nameCell;
    if (cell.isEmpty()) {
        // A line whose only name is its company is the company's card, as a vCard whose
        // FN is its ORG.
        const NameRecord *parts = contact.name ? &*contact.name : nullptr;
        if (!company.isEmpty() && (!parts || (parts->firstName.isEmpty() && parts->middleName.isEmpty() &&
                                              parts->lastName.isEmpty())))
            (contact.name ? *contact.name : contact.name.emplace()).showAsPerson = false;
        return;
    }
    NameRecord &name = contact.name ? *contact.name : contact.name.emplace();
    const bool hasParts = !name.firstName.isEmpty() || !name.lastName.isEmpty();
    if (cell == company && !company.isEmpty()) {
        if (!hasParts || QMPerson::compositeNameFromNameDict(name) != cell)
            name.showAsPerson = false;
    } else if (!hasParts) {
        name.firstName = cell;
    }
}

} // namespace

LabeledValueRecord *QMvCardCsvInternal::firstWithLabel(LabeledValueList &list, const QString &label) {
    for (LabeledValueRecord &record : list)
        if (record.labelText() == label)
            return &record;
    return nullptr;
}

void QMvCardCsvInternal::setText(CsvContactValues &contact, const QString &identifier, const QString &value) {
    for (auto &[key, text] : contact.texts) {
        if (key == identifier) {
            text = value;
            return;
        }
    }
    contact.texts.append({identifier, value});
}

LabeledValueRecord &QMvCardCsvInternal::newAddress(CsvContactValues &contact, const QString &label) {
    LabeledValueRecord added;
    added.label = label;
    added.labelIndex = contact.addresses.size();
    contact.addresses.append(added);
    return contact.addresses.last();
}

void QMvCardCsvInternal::appendValue(LabeledValueList &list, const QString &label, const QString &value) {
    LabeledValueRecord added;
    added.label = label;
    added.labelIndex = list.size();
    added.value = value;
    added.stringValue = value;
    list.append(added);
}

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
