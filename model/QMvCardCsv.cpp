// Contacts to comma- and tab-separated text.
#include "model/QMvCard.h"
#include "model/QMvCardCsvInternal.h"

#include "platform/contacts/CNLabels.h"

using namespace QMvCardCsvInternal;

namespace {

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
