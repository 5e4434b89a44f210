#include "editors/FindHighlight.h"

#include <algorithm>

QColor TextHighlight::background() const {
    // The light gray and orange of the system colour lists.
    return kind == CurrentMatch ? QColor(255, 128, 0) : QColor(170, 170, 170);
}

Qt::CaseSensitivity findCaseSensitivity(const QString &findOptions) {
    return findOptions == QLatin1String("caseSensitive") ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

namespace {

// Occurrences are cut around the current match so that the marks never overlap.
TextHighlights withCurrentMatch(const TextHighlights &matches, const TextRange &current) {
    TextHighlights out;
    for (const TextHighlight &match : matches) {
        const qsizetype end = match.start + match.length;
        if (end <= current.location || match.start >= current.end()) {
            out.append(match);
            continue;
        }
        if (match.start < current.location)
            out.append({match.start, current.location - match.start, TextHighlight::FindMatch});
        if (end > current.end())
            out.append({current.end(), end - current.end(), TextHighlight::FindMatch});
    }
    out.append({current.location, current.length, TextHighlight::CurrentMatch});
    std::sort(out.begin(), out.end(),
              [](const TextHighlight &a, const TextHighlight &b) { return a.start < b.start; });
    return out;
}

} // namespace

TextHighlights findHighlights(const QString &text, const QString &findString, const QString &findOptions,
                              const std::optional<TextRange> &currentMatch, CurrentMatchRule rule) {
    if (text.isEmpty() || findString.isEmpty())
        return {};
    const Qt::CaseSensitivity cs = findCaseSensitivity(findOptions);
    TextHighlights matches;
    for (qsizetype from = 0; from < text.size();) {
        const qsizetype at = text.indexOf(findString, from, cs);
        if (at < 0)
            break;
        matches.append({at, findString.size(), TextHighlight::FindMatch});
        from = at + findString.size();
    }
    if (!currentMatch || !currentMatch->isFound() || currentMatch->location < 0 ||
        currentMatch->length <= 0 || currentMatch->end() > text.size())
        return matches;
    if (rule == CurrentMatchRule::RangeHoldsFindText &&
        (matches.isEmpty() ||
         QStringView(text).mid(currentMatch->location, currentMatch->length).compare(findString, cs) != 0))
        return matches;
    return withCurrentMatch(matches, *currentMatch);
}
