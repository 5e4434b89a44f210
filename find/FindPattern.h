#pragma once

#include "model/FindTarget.h"

#include <QList>
#include <QString>

#include <atomic>

struct URegularExpression;

// The string-compare options of the find window's search modes, with the values the modes
// have always carried (the other platform's compare-option bits).
namespace FindCompareOptions {
constexpr unsigned CaseSensitive = 0;
constexpr unsigned CaseInsensitive = 1;
constexpr unsigned RegularExpression = 1024;

// The search modes as the find popups offer them, in this order (the find bar offers the two
// case modes): the options and the title shown, looked up with L().
struct SearchMode {
    unsigned compareOptions;
    const char *title;
};
inline constexpr SearchMode SearchModes[] = {{CaseInsensitive, QT_TRID_NOOP("Ignore Case")},
                                             {CaseSensitive, QT_TRID_NOOP("Match Case")},
                                             {RegularExpression, QT_TRID_NOOP("Regular Expression")}};
} // namespace FindCompareOptions

using TextRanges = QList<TextRange>;

// A search text ready to be looked for in values: literally, with or without case, or as an
// ICU regular expression (case-sensitive; its positions are UTF-16 units, as ours). A pattern
// is used by one thread at a time; a copy is a new matcher of the same pattern (an ICU clone),
// so each worker copies the one the search was started with.
class FindPattern {
public:
    FindPattern() = default;
    FindPattern(const QString &text, unsigned compareOptions);
    FindPattern(const FindPattern &other);
    FindPattern &operator=(const FindPattern &other);
    ~FindPattern();

    const QString &text() const { return text_; }
    unsigned compareOptions() const { return options_; }
    bool isRegularExpression() const { return options_ & FindCompareOptions::RegularExpression; }
    // Whether any value can hold a match: false for an empty text and a refused pattern.
    bool canMatch() const;
    // Why ICU refused the pattern, for the user; empty when it did not.
    const QString &errorMessage() const { return error_; }

    // Every place where the text occurs in the value: the first match in the whole value,
    // then each next one from the end of the last, until none is found, a match is empty or
    // a match ends at the value's end. Ascending, never overlapping, never empty.
    TextRanges rangesIn(const QString &value);

    // A long regular-expression match gives up once the flag is set (a newer search has
    // superseded the one it belongs to). The flag must outlive the pattern's use.
    void setCancelFlag(const std::atomic<bool> *flag);

private:
    void compile();
    void release();

    QString text_;
    unsigned options_ = FindCompareOptions::CaseSensitive;
    QString error_;
    URegularExpression *regex_ = nullptr;
    const std::atomic<bool> *cancelled_ = nullptr;
};

// The value with each range replaced by the replacement, taken as it stands (never as a
// replacement template). Ranges must be ascending and inside the value.
QString replacingRanges(const QString &value, const TextRanges &ranges, const QString &replacement);
