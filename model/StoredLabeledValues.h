#pragma once

#include "model/PersonRecords.h"

#include <variant>

// The values of one multi-valued field as a contact record keeps them. A phone, an e-mail
// or a URL uses a handful of LabeledValueRecord's members, and a list of such values keeps
// only those; a list with any value that uses another member (an address, a date, a
// profile) keeps whole records. A file of 100,000 cards holds half a million values, most
// of them phones and e-mails: kept as whole records they took half the memory of the file.
//
// Values go in and come out as LabeledValueRecord, exactly as they were given. Reading
// makes no change, so any number of threads may read at once.
class StoredLabeledValues {
public:
    // None: the field was neither read nor set (no list, not even an empty one).
    StoredLabeledValues() = default;
    explicit StoredLabeledValues(const LabeledValueList &list);

    bool isSet() const { return !std::holds_alternative<std::monostate>(values_); }

    // Const, so that a loop over it reads the list kept instead of copying it.
    const LabeledValueList list() const;
    // The value at a position within 0..size()-1. None gives an empty list and size 0.
    LabeledValueRecord at(qsizetype position) const;
    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }

private:
    struct Value {
        std::optional<QString> label;
        std::optional<QString> value;
        QString stringValue;
        QString cnlabel;
        qint64 labelIndex = LabeledValueRecord::noLabelIndex;
        std::optional<QString> username;
        std::optional<QString> domain;
        SharedOptional<CNPhoneNumber> phoneNumber;
    };
    static bool fits(const LabeledValueRecord &record);
    static Value stored(const LabeledValueRecord &record);
    static LabeledValueRecord record(const Value &value);

    // None, kept values or whole records, in one slot: a contact has eight of these.
    std::variant<std::monostate, QList<Value>, LabeledValueList> values_;
};
