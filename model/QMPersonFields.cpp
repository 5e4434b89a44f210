// Generic access to a contact's fields by field identifier.
#include "model/QMPerson.h"

#include "model/QMPersonInternal.h"
#include "platform/core/Log.h"

#include <algorithm>

namespace {

// What an identifier names. Every generic operation asks this first, for every field of
// every card read, so it is one table lookup.
enum class Kind {
    Other,
    Name,
    NamePart,
    PhoneticName,
    PhoneticPart,
    Birthday,
    Photo,
    String,
    Labeled,
    Reserved
};

Kind kindOf(const QString &identifier) {
    static const QMPersonInternal::IdentifierTable<Kind> kinds = [] {
        QMPersonInternal::IdentifierTable<Kind> map;
        for (const QString &id : {FieldId::CompositeName, FieldId::Thumbnail, FieldId::Groups,
                                  FieldId::NameOrdering, FieldId::NameDisplay, FieldId::ShowAsPerson})
            map.insert(id, Kind::Reserved);
        for (const QString &id : QMPerson::addressIdentifiers())
            map.insert(id, Kind::Reserved);
        for (const QString &id : QMPerson::stringIdentifiers())
            map.insert(id, Kind::String);
        for (const QString &id : QMPerson::labeledIdentifiers())
            map.insert(id, Kind::Labeled);
        for (const QString &id :
             {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName, FieldId::PreviousFamilyName})
            map.insert(id, Kind::NamePart);
        for (const QString &id : QMPerson::phoneticIdentifiers())
            map.insert(id, Kind::PhoneticPart);
        map.insert(FieldId::Name, Kind::Name);
        map.insert(FieldId::PhoneticName, Kind::PhoneticName);
        map.insert(FieldId::Birthday, Kind::Birthday);
        map.insert(FieldId::Photo, Kind::Photo);
        return map;
    }();
    return kinds.find(identifier).value_or(Kind::Other);
}

// Custom item values keep "stringValue" equal to their text, as the built-in fields do.
LabeledValueRecord withStringValue(LabeledValueRecord record) {
    record.stringValue = record.valueText();
    return record;
}

LabeledValueList withStringValues(LabeledValueList list) {
    for (LabeledValueRecord &record : list)
        record.stringValue = record.valueText();
    return list;
}

LabeledValueList recordsOf(const FieldValue &value) {
    if (const auto *list = value.get<LabeledValueList>())
        return *list;
    if (const auto *record = value.get<LabeledValueRecord>())
        return {*record};
    return {};
}

QStringList labelsOf(const LabeledValueList &list) {
    QStringList labels;
    for (const LabeledValueRecord &record : list)
        labels.append(record.labelText());
    return labels;
}

} // namespace

const QStringList &QMPerson::namePartIdentifiers() {
    static const QStringList list = {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName,
                                     FieldId::PreviousFamilyName};
    return list;
}

bool QMPerson::isReservedIdentifier(const QString &identifier) {
    return identifier.isEmpty() || kindOf(identifier) != Kind::Other;
}

QString QMPerson::typeForIdentifier(const QString &identifier,
                                    const QList<CustomItemDefinition> &customItems) const {
    const QString type = typeForIdentifier(identifier);
    if (!type.isEmpty())
        return type;
    for (const CustomItemDefinition &item : customItems)
        if (item.name == identifier)
            return item.type;
    return {};
}

QString QMPerson::typeForIdentifier(const QString &identifier) const {
    const qsizetype custom = customItemIndex(identifier);
    if (custom >= 0)
        return customItems_[custom].type;
    switch (kindOf(identifier)) {
    case Kind::Labeled:
        return ValueKind::Labeled;
    case Kind::String:
        return ValueKind::String;
    case Kind::Birthday:
    case Kind::Name:
    case Kind::PhoneticName:
        return ValueKind::Dictionary;
    default:
        return {};
    }
}

FieldValue QMPerson::valueForIdentifier(const QString &identifier) {
    const Kind kind = kindOf(identifier);
    if (kind == Kind::Name)
        return nameValue();
    if (identifier == FieldId::CompositeName)
        return compositeName();
    if (kind == Kind::NamePart)
        return nameValue_ ? *nameValue_->part(identifier) : QString();
    if (kind == Kind::PhoneticName)
        return phoneticNameValue();
    if (kind == Kind::PhoneticPart)
        return phoneticNameValue_ ? *phoneticNameValue_->part(identifier) : QString();
    if (identifier == FieldId::Photo) {
        const QImage image = photo();
        return image.isNull() ? FieldValue() : FieldValue(image);
    }
    if (identifier == FieldId::Thumbnail)
        return thumbnail();
    if (identifier == FieldId::Groups || identifier == FieldId::NameOrdering ||
        identifier == FieldId::NameDisplay)
        return QString();
    if (kind == Kind::Birthday)
        return birthdayValue();
    if (kind == Kind::Labeled)
        return labeledValues(*labeledFieldForIdentifier(identifier));
    if (kind == Kind::Other && customItemIndex(identifier) >= 0) {
        const auto value = customValueForIdentifier(identifier);
        return value ? FieldValue::fromCustomValue(*value) : FieldValue();
    }
    if (kind == Kind::String) {
        const StringField field = *stringFieldForIdentifier(identifier);
        if (strings_[field])
            return *strings_[field];
        return cnContact_ ? FieldValue(stringFieldValue(field)) : FieldValue();
    }
    const auto item = items_.constFind(identifier);
    if (item != items_.constEnd())
        return FieldValue::fromCustomValue(*item);
    return {};
}

QString QMPerson::stringValueForIdentifier(const QString &identifier) {
    if (kindOf(identifier) == Kind::String) {
        const StringField field = *stringFieldForIdentifier(identifier);
        if (strings_[field])
            return *strings_[field];
        return cnContact_ ? stringFieldValue(field) : QString();
    }
    const QString type = typeForIdentifier(identifier);
    if (type == ValueKind::String)
        return FieldValue::fromCustomValue(items_.value(identifier)).text();
    if (type == ValueKind::Dictionary) {
        if (identifier == FieldId::Birthday) {
            const auto birthday = birthdayValue();
            return birthday ? birthday->stringValue : QString();
        }
        if (identifier == FieldId::Name)
            return nameValue_ ? nameValue_->stringValue : QString();
        return phoneticNameValue_ ? phoneticNameValue_->stringValue : QString();
    }
    // A list has no one text.
    if (type == ValueKind::Labeled)
        return {};
    return valueForIdentifier(identifier).text();
}

void QMPerson::setValue(const FieldValue &value, const QString &identifier) {
    const Kind kind = kindOf(identifier);
    if (kind == Kind::Labeled) {
        if (const auto *list = value.get<LabeledValueList>())
            replaceList(*labeledFieldForIdentifier(identifier), *list);
        return;
    }
    if (kind == Kind::String) {
        if (const auto *text = value.get<QString>()) {
            strings_[*stringFieldForIdentifier(identifier)] = *text;
            changed_ = true;
        }
        return;
    }
    if (kind == Kind::Name || kind == Kind::NamePart || kind == Kind::PhoneticName ||
        kind == Kind::PhoneticPart)
        return setNameValue(value, identifier);
    if (kind == Kind::Birthday) {
        if (value.isNull() || value.is<BirthdayRecord>()) {
            const auto *record = value.get<BirthdayRecord>();
            setBirthdayValue(record ? std::optional<BirthdayRecord>(*record) : std::nullopt);
        }
        return;
    }
    if (kind == Kind::Photo) {
        if (value.isNull())
            setPhoto(QImage());
        else if (const auto *image = value.get<QImage>())
            setPhoto(*image);
        return;
    }
    if (const qsizetype custom = kind == Kind::Other ? customItemIndex(identifier) : -1; custom >= 0) {
        // An item holds values of its own type only: a list under a text item (or the
        // reverse) would be read as nothing by every other operation.
        const bool labeled = customItems_[custom].type == ValueKind::Labeled;
        if (const auto *text = value.get<QString>(); text && !labeled)
            items_.insert(identifier, *text);
        else if (const auto *list = value.get<LabeledValueList>(); list && labeled)
            items_.insert(identifier, withStringValues(*list));
        else
            return logError("-[QMPerson setValue:forIdentifier:]",
                            QStringLiteral("value of another type for \"%1\" refused").arg(identifier));
        changed_ = true;
        return;
    }
    if (!value.is<LabeledValueList>() && !value.is<QString>())
        return;
    // A card's X-Name line must never shadow its name.
    if (isReservedIdentifier(identifier)) {
        logError("-[QMPerson setValue:forIdentifier:]",
                 QStringLiteral("refused custom item \"%1\"").arg(identifier));
        return;
    }
    CustomItemDefinition definition;
    definition.name = identifier;
    if (const auto *list = value.get<LabeledValueList>()) {
        definition.type = ValueKind::Labeled;
        definition.labels = labelsOf(*list);
        QMPersonInternal::addCustomLabels(identifier, definition.labels);
        items_.insert(identifier, withStringValues(*list));
    } else {
        definition.type = ValueKind::String;
        items_.insert(identifier, value.text());
    }
    customItems_.append(definition);
    changed_ = true;
}

void QMPerson::deleteValueForIdentifier(const QString &identifier) {
    const Kind kind = kindOf(identifier);
    if (kind == Kind::Name || kind == Kind::NamePart) {
        NameRecord &record = cachedNameRecord();
        if (identifier == FieldId::Name) {
            for (const QString &part : namePartIdentifiers())
                record.part(part)->clear();
            record.showAsPerson = true;
        } else {
            record.part(identifier)->clear();
        }
        record.stringValue.clear();
        updateNameValue(record);
        compositeName();
        changed_ = true;
    } else if (kind == Kind::PhoneticName) {
        phoneticNameValue_ = PhoneticNameRecord();
        changed_ = true;
    } else if (kind == Kind::PhoneticPart) {
        logError("-[QMPerson deleteValueForIdentifier:]", QStringLiteral("ERROR"));
        cachedPhoneticRecord().part(identifier)->clear();
        updatePhoneticName(*phoneticNameValue_);
        changed_ = true;
    } else if (kind == Kind::Birthday) {
        birthdayValue_ = BirthdayRecord();
    } else if (kind == Kind::Other && customItemIndex(identifier) >= 0) {
        if (items_.remove(identifier))
            changed_ = true;
    } else {
        logRefusal();
    }
}

std::optional<LabeledValueList> QMPerson::labeledValueForIdentifier(const QString &identifier) {
    if (const auto field = labeledFieldForIdentifier(identifier))
        return labeledValues(*field);
    if (typeForIdentifier(identifier) != ValueKind::Labeled)
        return std::nullopt;
    const auto value = customValueForIdentifier(identifier);
    if (!value)
        return std::nullopt;
    const auto *list = std::get_if<LabeledValueList>(&*value);
    return list ? std::optional<LabeledValueList>(*list) : std::nullopt;
}

std::optional<LabeledValueRecord> QMPerson::labeledValueForIdentifier(const QString &identifier,
                                                                      LabelIndex labelIndex) {
    const auto list = labeledValueForIdentifier(identifier);
    if (!list)
        return std::nullopt;
    const qsizetype position = findLabeledValue(*list, labelIndex.value);
    if (position < 0 || position >= list->size())
        return std::nullopt;
    return list->at(position);
}

std::optional<LabeledValueRecord> QMPerson::labeledValueForIdentifier(const QString &identifier,
                                                                      qsizetype index) {
    // A table cell asks for one value: only that one is made.
    if (const auto field = labeledFieldForIdentifier(identifier)) {
        loadLabeledValues(*field);
        const StoredLabeledValues &stored = labeledValues_[*field];
        if (index < 0 || index >= stored.size())
            return std::nullopt;
        return stored.at(index);
    }
    const auto list = labeledValueForIdentifier(identifier);
    if (!list || index < 0 || index >= list->size())
        return std::nullopt;
    return list->at(index);
}

LabeledValueList QMPerson::numberedByPosition(const LabeledValueList &list) {
    LabeledValueList numbered;
    for (const LabeledValueRecord &record : list) {
        numbered.append(withStringValue(record));
        numbered.last().labelIndex = numbered.size() - 1;
    }
    return numbered;
}

void QMPerson::defineLabeledCustomItem(const QString &name, const LabeledValueList &list) {
    if (!addCustomItem(ValueKind::Labeled, name, labelsOf(list), std::nullopt))
        return;
    items_.insert(name, list);
    changed_ = true;
}

void QMPerson::addLabeledValue(const FieldValue &value, const QString &identifier) {
    if (const auto field = labeledFieldForIdentifier(identifier)) {
        for (const LabeledValueRecord &record : recordsOf(value))
            addValue(*field, record);
        return;
    }
    const LabeledValueList records = recordsOf(value);
    if (records.isEmpty() && !value.is<LabeledValueList>())
        return;
    const qsizetype custom = customItemIndex(identifier);
    if (custom >= 0 && customItems_[custom].type != ValueKind::Labeled)
        return;
    const auto item = items_.find(identifier);
    auto *list = item != items_.end() ? std::get_if<LabeledValueList>(&*item) : nullptr;
    if (custom < 0 || !list)
        return defineLabeledCustomItem(identifier, numberedByPosition(records));
    for (const LabeledValueRecord &record : records) {
        LabeledValueRecord added = withStringValue(record);
        added.labelIndex = nextLabelIndex(*list);
        list->append(added);
    }
    changed_ = true;
}

void QMPerson::replaceLabeledValue(const FieldValue &value, const QString &identifier) {
    if (const auto field = labeledFieldForIdentifier(identifier)) {
        if (const auto *record = value.get<LabeledValueRecord>())
            replaceValue(*field, *record);
        else if (value.isNull() || value.is<LabeledValueList>())
            replaceList(*field, recordsOf(value));
        return;
    }
    if (typeForIdentifier(identifier) != ValueKind::Labeled)
        return;
    if (value.isNull()) {
        items_.remove(identifier);
        changed_ = true;
    } else if (const auto *given = value.get<LabeledValueList>()) {
        items_.insert(identifier, withStringValues(*given));
        changed_ = true;
    } else if (const auto *record = value.get<LabeledValueRecord>()) {
        const auto item = items_.find(identifier);
        auto *list = item != items_.end() ? std::get_if<LabeledValueList>(&*item) : nullptr;
        if (!list)
            return defineLabeledCustomItem(identifier, {withStringValue(*record)});
        const qsizetype position = findLabeledValue(*list, record->labelIndex);
        if (position < 0 || position >= list->size())
            return;
        (*list)[position] = withStringValue(*record);
        changed_ = true;
    }
}

void QMPerson::replaceLabeledValue(const FieldValue &value, const QString &identifier, qsizetype index) {
    if (const auto field = labeledFieldForIdentifier(identifier)) {
        if (const auto *record = value.get<LabeledValueRecord>())
            replaceValueAt(*field, *record, index);
        else if (value.isNull() || value.is<LabeledValueList>())
            replaceList(*field, recordsOf(value));
        return;
    }
    if (const auto *list = value.get<LabeledValueList>())
        if (typeForIdentifier(identifier) == ValueKind::Labeled)
            items_.insert(identifier, *list);
}

void QMPerson::deleteLabeledValueForIdentifier(const QString &identifier, LabelIndex labelIndex) {
    const auto removeFrom = [&](LabeledValueList &list) {
        const qsizetype position = findLabeledValue(list, labelIndex.value);
        if (position < 0 || position >= list.size())
            return false;
        list.removeAt(position);
        return true;
    };
    if (const auto field = labeledFieldForIdentifier(identifier)) {
        if (!labeledValues_[*field].isSet())
            return;
        LabeledValueList list = labeledValues_[*field].list();
        if (removeFrom(list))
            labeledValues_[*field] = StoredLabeledValues(list);
        return;
    }
    const auto item = items_.find(identifier);
    if (auto *list = item != items_.end() ? std::get_if<LabeledValueList>(&*item) : nullptr)
        removeFrom(*list);
}

bool QMPerson::sortForIdentifier(const QString &identifier, const QString &sortKey, bool ascending) {
    const auto field = labeledFieldForIdentifier(identifier);
    if (!field)
        return false;
    QStringList keys = {QStringLiteral("stringValue"), QStringLiteral("label")};
    if (*field == Address)
        keys += addressIdentifiers();
    else if (*field == Sns || *field == Ims)
        keys += {QStringLiteral("service"), QStringLiteral("username")};
    if (!keys.contains(sortKey) || !labeledValues_[*field].isSet() || labeledValues_[*field].isEmpty())
        return false;
    LabeledValueList list = labeledValues_[*field].list();
    QList<qint64> before;
    for (const LabeledValueRecord &record : std::as_const(list))
        before.append(record.labelIndex);
    std::stable_sort(list.begin(), list.end(), [&](const LabeledValueRecord &a, const LabeledValueRecord &b) {
        const int order = a.textForKey(sortKey).compare(b.textForKey(sortKey), Qt::CaseSensitive);
        return ascending ? order < 0 : order > 0;
    });
    labeledValues_[*field] = StoredLabeledValues(list);
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].labelIndex != before[i])
            return true;
    return false;
}
