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
        whole_ = list;
        return;
    }
    if (!list.isEmpty())
        values_.reserve(list.size());
    for (const LabeledValueRecord &record : list)
        values_.append(stored(record));
}

LabeledValueList StoredLabeledValues::list() const {
    if (values_.isEmpty())
        return whole_;
    LabeledValueList list;
    list.reserve(values_.size());
    for (const Value &value : values_)
        list.append(record(value));
    return list;
}

LabeledValueRecord StoredLabeledValues::at(qsizetype position) const {
    return values_.isEmpty() ? whole_.at(position) : record(values_.at(position));
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
