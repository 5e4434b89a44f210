#include "contact_info/DetailRowModel.h"

#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"

namespace {

QString localized(const QString &english) {
    return L(english.toUtf8().constData());
}

InfoTableRow makeRow(const QString &type, qsizetype rowOrderIndex) {
    InfoTableRow row;
    row.type = type;
    row.rowOrderIndex = rowOrderIndex;
    return row;
}

} // namespace

const QStringList &DefaultRowOrder() {
    static const QStringList order = {FieldId::Name,          FieldId::Photo,
                                      FieldId::Groups,        FieldId::NameOrdering,
                                      FieldId::NameDisplay,   FieldId::Company,
                                      FieldId::PhoneticName,  FieldId::Email,
                                      FieldId::Phone,         FieldId::InstantMessage,
                                      FieldId::SocialNetwork, FieldId::URL,
                                      FieldId::Address,       FieldId::Nickname,
                                      FieldId::Birthday,      FieldId::Relationship,
                                      FieldId::Suffix,        FieldId::Title,
                                      FieldId::Department,    FieldId::JobTitle,
                                      FieldId::Dates,         FieldId::Note};
    return order;
}

void DetailRowModel::keepRowOrder(const QList<CustomItemDefinition> &customItems) {
    if (!rowOrderTable_) {
        QStringList stored;
        for (const QVariant &entry : UserDefaults::standard().arrayForKey(LastRowOrderKey))
            stored.append(entry.toString());
        rowOrderTable_ = stored.isEmpty() ? DefaultRowOrder() : stored;
    }
    // A custom item named like a built-in field never takes that field's place: the
    // field keeps its row and the clashing name gets none.
    for (const CustomItemDefinition &item : customItems) {
        if (!rowOrderTable_->contains(item.name) && !DefaultRowOrder().contains(item.name))
            rowOrderTable_->append(item.name);
    }
}

QString DetailRowModel::nameOrderingText(QMPerson &person) {
    nameOrderingLabels_ = QMPerson::labelsForIdentifier(FieldId::NameOrdering).value_or(QStringList());
    const QString systemDefault = person.defaultNameOrdering() == 1
                                      ? QStringLiteral("System Default (First Name First)")
                                      : QStringLiteral("System Default (Last Name First)");
    if (nameOrderingLabels_.isEmpty())
        nameOrderingLabels_.append(systemDefault);
    else
        nameOrderingLabels_[0] = systemDefault;
    switch (person.nameValue().nameOrdering) {
    case 1:
        return QStringLiteral("First Name First");
    case 2:
        return QStringLiteral("Last Name First");
    default:
        return nameOrderingLabels_.first();
    }
}

std::optional<QList<InfoTableRow>>
DetailRowModel::tableFromContact(const ContactEntry *contact, const QStringList &selectedLabels,
                                 const QList<CustomItemDefinition> &customItems) {
    Q_UNUSED(selectedLabels) // every value gets a row
    if (!contact)
        return std::nullopt;
    keepRowOrder(customItems);
    QMPerson *person = contact->person.get();
    QMPerson empty;
    QMPerson &source = person ? *person : empty;

    QList<InfoTableRow> table;
    for (qsizetype position = 0; position < rowOrderTable_->size(); ++position) {
        const QString &identifier = rowOrderTable_->at(position);
        const QString kind = source.typeForIdentifier(identifier, customItems);
        // The photo row shows its own picture, decoded at its size: decoding the whole photo
        // here took 130 MB and a sixth of a second for a 5700 x 5700 picture.
        const FieldValue value =
            person && identifier != FieldId::Photo ? person->valueForIdentifier(identifier) : FieldValue();
        const LabeledValueList *list = value.get<LabeledValueList>();
        if (kind == ValueKind::Labeled && list) {
            // Labels first met in the file join the field's vocabulary; no label is no word.
            for (const LabeledValueRecord &record : *list) {
                if (!record.labelText().isEmpty())
                    QMPerson::setLabel(QString(), record.labelText(), identifier);
            }
        }

        InfoTableRow row = makeRow(identifier, position);
        if (identifier == FieldId::Name || identifier == FieldId::PhoneticName) {
            const QStringList parts = {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName,
                                       FieldId::PreviousFamilyName};
            const qsizetype count = identifier == FieldId::Name ? 4 : 3;
            for (qsizetype part = 0; part < count; ++part) {
                row.label = parts.at(part);
                row.labelIndex = part;
                table.append(row);
            }
        } else if (identifier == FieldId::Photo || identifier == FieldId::Groups) {
            row.label = QString();
            row.value = QString();
            table.append(row);
        } else if (identifier == FieldId::NameOrdering) {
            row.label = localized(nameOrderingText(source));
            table.append(row);
        } else if (identifier == FieldId::NameDisplay) {
            const bool asPerson = source.nameValue().showAsPerson.value_or(source.showAsPerson());
            row.label = asPerson ? L("Person") : L("Company");
            table.append(row);
        } else if (value.isNull()) {
            row.label = QString();
            table.append(row);
        } else if (list) {
            if (list->isEmpty()) {
                row.label = QString();
                table.append(row);
            }
            for (qsizetype i = 0; i < list->size(); ++i) {
                row.label = list->at(i).labelText();
                row.labelIndex = list->at(i).labelIndex;
                row.index = i;
                table.append(row);
            }
        } else if (value.is<BirthdayRecord>()) {
            row.label = QString();
            table.append(row);
        } else if (value.is<QString>()) {
            table.append(row);
        }
    }
    return table;
}
