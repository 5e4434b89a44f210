#pragma once

#include "model/PersonRecords.h"

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
    StoredLabeledValues() = default;
    explicit StoredLabeledValues(const LabeledValueList &list);

    LabeledValueList list() const;
    // The value at a position within 0..size()-1.
    LabeledValueRecord at(qsizetype position) const;
    qsizetype size() const { return whole_.size() + values_.size(); }
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

    // One of the two holds the values.
    QList<Value> values_;
    LabeledValueList whole_;
};
