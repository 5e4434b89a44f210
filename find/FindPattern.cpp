#include "find/FindPattern.h"

#include "platform/core/Localization.h"

#include <unicode/uregex.h>

namespace {

// ICU calls this every few thousand steps of a match; answering false stops the match.
UBool keepMatching(const void *context, int32_t) {
    const auto *cancelled = static_cast<const std::atomic<bool> *>(context);
    return !cancelled->load(std::memory_order_relaxed);
}

// "U_REGEX_MISSING_CLOSE_PAREN" says "missing close paren".
QString readableRegexError(UErrorCode status) {
    QString name = QString::fromLatin1(u_errorName(status));
    name.remove(QStringLiteral("U_REGEX_"));
    name.remove(QStringLiteral("U_"));
    return name.replace(QLatin1Char('_'), QLatin1Char(' ')).toLower();
}

} // namespace

FindPattern::FindPattern(const QString &text, unsigned compareOptions)
    : text_(text)
    , options_(compareOptions) {
    compile();
}

FindPattern::FindPattern(const FindPattern &other)
    : text_(other.text_)
    , options_(other.options_)
    , error_(other.error_) {
    if (other.regex_) {
        UErrorCode status = U_ZERO_ERROR;
        regex_ = uregex_clone(other.regex_, &status);
        if (U_FAILURE(status))
            release();
    }
}

FindPattern &FindPattern::operator=(const FindPattern &other) {
    if (this != &other) {
        FindPattern copy(other);
        std::swap(text_, copy.text_);
        std::swap(options_, copy.options_);
        std::swap(error_, copy.error_);
        std::swap(regex_, copy.regex_);
        cancelled_ = nullptr;
    }
    return *this;
}

FindPattern::~FindPattern() {
    release();
}

void FindPattern::release() {
    if (regex_)
        uregex_close(regex_);
    regex_ = nullptr;
}

void FindPattern::compile() {
    if (!isRegularExpression() || text_.isEmpty())
        return;
    UErrorCode status = U_ZERO_ERROR;
    UParseError where{};
    regex_ = uregex_open(reinterpret_cast<const UChar *>(text_.utf16()), int32_t(text_.size()), 0, &where,
                         &status);
    if (U_FAILURE(status)) {
        release();
        error_ = L("Not a regular expression (at %1: %2)")
                     .arg(where.offset >= 0 ? where.offset : 0)
                     .arg(readableRegexError(status));
    }
}

bool FindPattern::canMatch() const {
    return !text_.isEmpty() && (!isRegularExpression() || regex_);
}

void FindPattern::setCancelFlag(const std::atomic<bool> *flag) {
    cancelled_ = flag;
    if (!regex_)
        return;
    UErrorCode status = U_ZERO_ERROR;
    uregex_setMatchCallback(regex_, flag ? keepMatching : nullptr, flag, &status);
}

TextRanges FindPattern::rangesIn(const QString &value) {
    TextRanges ranges;
    if (value.isEmpty() || !canMatch())
        return ranges;
    const qsizetype size = value.size();
    if (!regex_) {
        const Qt::CaseSensitivity cs =
            (options_ & FindCompareOptions::CaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const QStringView haystack(value);
        for (qsizetype from = 0; from < size;) {
            const qsizetype at = haystack.indexOf(text_, from, cs);
            if (at < 0)
                break;
            ranges.append({at, text_.size()});
            from = at + text_.size();
        }
        return ranges;
    }
    UErrorCode status = U_ZERO_ERROR;
    uregex_setText(regex_, reinterpret_cast<const UChar *>(value.utf16()), int32_t(size), &status);
    while (U_SUCCESS(status) && uregex_findNext(regex_, &status) && U_SUCCESS(status)) {
        const qsizetype start = uregex_start(regex_, 0, &status);
        const qsizetype end = uregex_end(regex_, 0, &status);
        if (U_FAILURE(status) || end <= start)
            break;
        ranges.append({start, end - start});
        if (end >= size)
            break;
    }
    // The matcher keeps a pointer to the value: let it go before the value can.
    status = U_ZERO_ERROR;
    uregex_setText(regex_, u"", 0, &status);
    return ranges;
}

QString replacingRanges(const QString &value, const TextRanges &ranges, const QString &replacement) {
    QString out = value;
    for (auto range = ranges.crbegin(); range != ranges.crend(); ++range) {
        if (range->location < 0 || range->end() > out.size())
            continue;
        out.replace(range->location, range->length, replacement);
    }
    return out;
}
