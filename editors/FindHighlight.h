#pragma once

#include "model/FindTarget.h"

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

// Marks of the find text in a shown value: every occurrence light gray, the current match
// orange. Positions are UTF-16 code units.
struct TextHighlight {
    enum Kind { FindMatch, CurrentMatch };

    qsizetype start = 0;
    qsizetype length = 0;
    Kind kind = FindMatch;

    QColor background() const;
    friend bool operator==(const TextHighlight &, const TextHighlight &) = default;
};
using TextHighlights = QList<TextHighlight>;

// "caseSensitive" searches with case; any other option text (none included) without.
Qt::CaseSensitivity findCaseSensitivity(const QString &findOptions);

enum class CurrentMatchRule {
    // The match is marked when its range ends inside the text.
    RangeInsideText,
    // Also its text must equal the find text, and it is marked only where the text holds
    // at least one occurrence (the label popup cell's rule).
    RangeHoldsFindText,
};

// The marks of `text`, non-overlapping and in ascending order; the current match wins over
// the occurrences it overlaps. Nothing for an empty text or find text.
TextHighlights findHighlights(const QString &text, const QString &findString, const QString &findOptions,
                              const std::optional<TextRange> &currentMatch = std::nullopt,
                              CurrentMatchRule rule = CurrentMatchRule::RangeInsideText);
