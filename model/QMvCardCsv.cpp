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
};

// A lenient RFC 4180 reader: quoted cells may hold commas, doubled quotes and line
// breaks; text after a closing quote joins the cell; an unclosed quote runs to the end.
QList<CsvRecord> csvRecords(QStringView text) {
    QList<CsvRecord> records;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (i < size) {
        CsvRecord record;
        const qsizetype start = i;
        QString field;
        bool atLineEnd = false;
        while (i < size && !atLineEnd) {
            const QChar c = text[i];
            if (c == u'"' && field.isEmpty()) {
                ++i;
                while (i < size) {
                    if (text[i] == u'"') {
                        if (i + 1 < size && text[i + 1] == u'"') {
                            field += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    field += text[i++];
                }
                // Text between the closing quote and the next separator stays in the cell.
                while (i < size && text[i] != u',' && text[i] != u'\r' && text[i] != u'\n')
                    field += text[i++];
                continue;
            }
            if (c == u',') {
                record.fields.append(field);
                field.clear();
                ++i;
            } else if (c == u'\r' || c == u'\n') {
                atLineEnd = true;
            } else {
                field += c;
                ++i;
            }
        }
        record.fields.append(field);
        record.length = i - start;
        if (i < size && text[i] == u'\r')
            ++i;
        if (i < size && text[i] == u'\n')
            ++i;
        records.append(record);
    }
    return records;
}

// "yyyy.MM.dd" at the start, whatever follows (the weekday in any language), or "MM.dd"
// for a birthday without a year.
std::optional<DateComponents> birthdayFromText(const QString &text) {
    static const QRegularExpression withYear(QStringLiteral("^(\\d{4})\\.(\\d{1,2})\\.(\\d{1,2})(?!\\d)"));
    static const QRegularExpression withoutYear(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})(?![\\d.])"));
    DateComponents date;
    if (const auto match = withYear.match(text); match.hasMatch())
        date =
            DateComponents(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    else if (const auto match = withoutYear.match(text); match.hasMatch())
        date =
            DateComponents(DateComponents::Undefined, match.captured(1).toInt(), match.captured(2).toInt());
    else
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
            line += text;
        }
        line += separator;
    }
    if (line.size() > separator.size())
        line.chop(separator.size());
    return line;
}

// ---- Reading

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
               key == FieldId::Street) {
        LabeledValueRecord *address = firstWithLabel(contact.addresses, label);
        if (!address) {
            LabeledValueRecord added;
            added.label = label;
            added.labelIndex = contact.addresses.size();
            contact.addresses.append(added);
            address = &contact.addresses.last();
        }
        *address->addressPart(key) = value;
        QMPerson::updateAddressValue(*address, true);
    } else if (key == FieldId::Phone || key == FieldId::Email) {
        LabeledValueList &list = key == FieldId::Phone ? contact.phones : contact.emails;
        LabeledValueRecord *record = firstWithLabel(list, label);
        if (!record) {
            LabeledValueRecord added;
            added.label = label;
            added.labelIndex = list.size();
            list.append(added);
            record = &list.last();
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

ContactTable QMvCard::contactsFromCSV(const QString &text) const {
    QStringView body(text);
    if (body.startsWith(QChar(0xFEFF)))
        body = body.sliced(1);
    const QList<CsvRecord> records = csvRecords(body);
    ContactTable contacts;
    if (records.isEmpty())
        return contacts;

    QList<CsvColumn> columns;
    if (records.first().length > 0) {
        for (const QString &heading : records.first().fields) {
            CsvColumn column{heading, QStringLiteral("Unknown"), {}};
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

    for (qsizetype line = 1; line < records.size(); ++line) {
        const CsvRecord &record = records[line];
        if (record.length < 2)
            continue;
        CsvContactValues values;
        for (qsizetype i = 0; i < record.fields.size() && i < columns.size(); ++i)
            createContact(values, record.fields[i], columns[i].type, columns[i].label);
        settleName(values);

        auto person = std::make_shared<QMPerson>();
        if (values.name)
            person->setValue(*values.name, FieldId::Name);
        if (!values.emails.isEmpty())
            person->setValue(values.emails, FieldId::Email);
        if (!values.socialProfiles.isEmpty())
            person->setValue(values.socialProfiles, FieldId::SocialNetwork);
        if (!values.phones.isEmpty())
            person->setValue(values.phones, FieldId::Phone);
        if (!values.addresses.isEmpty())
            person->setValue(values.addresses, FieldId::Address);
        for (const QString &identifier :
             {FieldId::Nickname, FieldId::Birthday, FieldId::Title, FieldId::Company, FieldId::Department,
              FieldId::JobTitle, FieldId::Note}) {
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
        contacts.append(std::move(entry));
    }
    return contacts;
}
