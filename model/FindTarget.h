#pragma once

#include <QString>

#include <memory>

class QMPerson;

// A range of text in UTF-16 code units; a location of notFound means no range.
struct TextRange {
    static constexpr qsizetype notFound = -1;

    qsizetype location = notFound;
    qsizetype length = 0;

    bool isFound() const { return location != notFound; }
    qsizetype end() const { return location + length; }
    friend bool operator==(const TextRange &, const TextRange &) = default;
};

// The current find match: which contact, which field (and address part), which value of a
// multi-valued field, and where in its text.
struct FindTarget {
    std::shared_ptr<QMPerson> contact;
    QString uniqueId;
    QString identifier;
    QString subIdentifier;
    qint64 labelIndex = 0;
    TextRange range;
    TextRange itemRange;
};
