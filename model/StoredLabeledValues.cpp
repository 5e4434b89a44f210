#include "model/StoredLabeledValues.h"

#include <algorithm>

// A member added to the record must be known to fits(), or a value using it would lose it.
static_assert(sizeof(void *) != 8 || sizeof(LabeledValueRecord) == 536, "teach fits() the new member");

// True when the record uses no member beyond those a Value keeps. Null, not merely empty:
// a value comes back with the very texts it was given.
bool StoredLabeledValues::fits(const LabeledValueRecord &r) {
    return !r.dateValue && r.type.isNull() && r.service.isNull() && r.urlString.isNull() &&
           r.userIdentifier.isNull() && r.street.isNull() && r.city.isNull() && r.state.isNull() &&
           r.zip.isNull() && r.country.isNull() && r.isoCountryCode.isNull() && !r.predictCountryCode &&
           r.formattedString.isNull() && !r.postalAddress && !r.socialProfile && !r.instantMessageAddress &&
           !r.contactRelation;
}

StoredLabeledValues::StoredLabeledValues(const LabeledValueList &list) {
    if (!std::all_of(list.begin(), list.end(), fits)) {
        values_ = list;
        return;
    }
    QList<Value> &values = values_.emplace<QList<Value>>();
    if (!list.isEmpty())
        values.reserve(list.size());
    for (const LabeledValueRecord &record : list)
        values.append(stored(record));
}

qsizetype StoredLabeledValues::size() const {
    if (const auto *values = std::get_if<QList<Value>>(&values_))
        return values->size();
    if (const auto *whole = std::get_if<LabeledValueList>(&values_))
        return whole->size();
    return 0;
}

const LabeledValueList StoredLabeledValues::list() const {
    if (const auto *whole = std::get_if<LabeledValueList>(&values_))
        return *whole;
    const auto *values = std::get_if<QList<Value>>(&values_);
    if (!values)
        return {};
    LabeledValueList list;
    if (!values->isEmpty())
        list.reserve(values->size());
    for (const Value &value : *values)
        list.append(record(value));
    return list;
}

LabeledValueRecord StoredLabeledValues::at(qsizetype position) const {
    if (const auto *whole = std::get_if<LabeledValueList>(&values_))
        return whole->at(position);
    return record(std::get<QList<Value>>(values_).at(position));
}

// The members a Value keeps, copied either way.
template <typename From, typename To> void copyKeptMembers(const From &from, To &to) {
    to.label = from.label;
    to.value = from.value;
    to.stringValue = from.stringValue;
    to.cnlabel = from.cnlabel;
    to.labelIndex = from.labelIndex;
    to.username = from.username;
    to.domain = from.domain;
    to.phoneNumber = from.phoneNumber;
}

StoredLabeledValues::Value StoredLabeledValues::stored(const LabeledValueRecord &record) {
    Value value;
    copyKeptMembers(record, value);
    return value;
}

LabeledValueRecord StoredLabeledValues::record(const Value &value) {
    LabeledValueRecord record;
    copyKeptMembers(value, record);
    return record;
}
