#include "merge/MergeRows.h"

#include "model/QMPerson.h"

#include <algorithm>

namespace {

const QStringList &builtInIdentifiers() {
    static const QStringList identifiers = {
        FieldId::Photo,        FieldId::Name,     FieldId::NameOrdering,   FieldId::NameDisplay,
        FieldId::Company,      FieldId::PhoneticName, FieldId::Email,      FieldId::InstantMessage,
        FieldId::SocialNetwork, FieldId::URL,     FieldId::Phone,          FieldId::Address,
        FieldId::Nickname,     FieldId::Birthday, FieldId::Relationship,   FieldId::Suffix,
        FieldId::Title,        FieldId::Department, FieldId::JobTitle,     FieldId::Dates,
        FieldId::Note};
    return identifiers;
}

MergeRow row(const QString &type, std::optional<QString> label = std::nullopt,
             std::optional<QString> value = std::nullopt) {
    MergeRow row;
    row.type = type;
    row.label = std::move(label);
    row.value = std::move(value);
    return row;
}

qsizetype valueCount(QMPerson &person, const QString &identifier) {
    const auto list = person.labeledValueForIdentifier(identifier);
    return list ? list->size() : 0;
}

} // namespace

QStringList MergeRows::identifiers(const QList<CustomItemDefinition> &customItems) {
    QStringList identifiers = builtInIdentifiers();
    for (const CustomItemDefinition &item : customItems)
        if (!identifiers.contains(item.name))
            identifiers.append(item.name);
    return identifiers;
}

QString MergeRows::kindOf(QMPerson &person, const QString &identifier,
                          const QList<CustomItemDefinition> &customItems) {
    return person.typeForIdentifier(identifier, customItems);
}

QHash<QString, qsizetype> MergeRows::labeledValueCounts(QMPerson *left, QMPerson *right,
                                                        const QList<CustomItemDefinition> &customItems) {
    // A labeled item only one side carries is counted for both, so the other side shows
    // placeholders in the same rows.
    QHash<QString, qsizetype> counts;
    for (const QString &identifier : identifiers(customItems)) {
        qsizetype rows = 0;
        bool labeled = false;
        for (QMPerson *person : {left, right}) {
            if (!person || kindOf(*person, identifier, customItems) != ValueKind::Labeled)
                continue;
            labeled = true;
            rows = std::max(rows, valueCount(*person, identifier));
        }
        if (labeled)
            counts.insert(identifier, std::max<qsizetype>(rows, 1));
    }
    return counts;
}

QStringList MergeRows::nameOrderingLabels(QMPerson &left) {
    QStringList labels = QMPerson::labelsForIdentifier(FieldId::NameOrdering).value_or(QStringList());
    const QString systemDefault = left.defaultNameOrdering() == 1
                                      ? QStringLiteral("System Default (First Name First)")
                                      : QStringLiteral("System Default (Last Name First)");
    if (labels.isEmpty())
        labels.append(systemDefault);
    else
        labels[0] = systemDefault;
    return labels;
}

MergeTable MergeRows::tableFromContact(QMPerson *person, const QHash<QString, qsizetype> &counts,
                                       const QList<CustomItemDefinition> &customItems,
                                       const QStringList &nameOrderingLabels) {
    MergeTable table;
    if (!person)
        return table;
    for (const QString &identifier : identifiers(customItems)) {
        const QString kind = kindOf(*person, identifier, customItems);
        if (identifier == FieldId::Name) {
            for (const QString &part :
                 {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName, FieldId::PreviousFamilyName})
                table.append(row(identifier, part));
        } else if (identifier == FieldId::PhoneticName) {
            for (const QString &part : {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName})
                table.append(row(identifier, part));
        } else if (identifier == FieldId::Photo) {
            table.append(row(identifier, QString(), QString()));
        } else if (identifier == FieldId::NameOrdering) {
            const int ordering = person->nameValue().nameOrdering;
            table.append(row(identifier, ordering == 1   ? QStringLiteral("First Name First")
                                         : ordering == 2 ? QStringLiteral("Last Name First")
                                                         : nameOrderingLabels.value(0)));
        } else if (identifier == FieldId::NameDisplay) {
            const bool asPerson = person->nameValue().showAsPerson.value_or(person->showAsPerson());
            table.append(row(identifier, asPerson ? QStringLiteral("Person") : QStringLiteral("Company")));
        } else if (kind == ValueKind::Labeled) {
            const LabeledValueList values = person->labeledValueForIdentifier(identifier).value_or(LabeledValueList{});
            const qsizetype c = values.size();
            const qsizetype n = counts.value(identifier, 0);
            for (qsizetype i = 0; i < c; ++i) {
                const LabeledValueRecord &value = values[i];
                // A label the vocabulary lacks becomes one of the field's own; the empty one is no label.
                if (!value.labelText().isEmpty())
                    QMPerson::setLabel(QString(), value.labelText(), identifier);
                MergeRow labeled = row(identifier, value.labelText());
                labeled.labelIndex = value.labelIndex;
                labeled.index = i;
                labeled.valueCount = c - i;
                table.append(labeled);
            }
            for (qsizetype j = c; j < n; ++j) {
                MergeRow placeholder = row(identifier, QString());
                placeholder.labelIndex = LabeledValueRecord::noLabelIndex;
                placeholder.index = j;
                placeholder.valueCount = c - j;
                table.append(placeholder);
            }
        } else {
            const FieldValue value = person->valueForIdentifier(identifier);
            if (value.isNull())
                table.append(row(identifier, QString(), QString()));
            else if (value.is<BirthdayRecord>())
                table.append(row(identifier, QString()));
            else if (value.is<QString>())
                table.append(row(identifier));
        }
    }
    return table;
}

int MergeRows::numberOfLines(const MergeRow &row, QMPerson &person, const QList<CustomItemDefinition> &customItems) {
    if (row.type == FieldId::Photo)
        return 2;
    if (row.type == FieldId::Name || row.type == FieldId::PhoneticName || row.type == FieldId::NameOrdering)
        return 1;
    if (kindOf(person, row.type, customItems) != ValueKind::String)
        return 1;
    return std::max<int>(1, int(person.stringValueForIdentifier(row.type).count(QLatin1Char('\n'))) + 1);
}
