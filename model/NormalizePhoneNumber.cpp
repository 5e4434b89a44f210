#include "model/NormalizePhoneNumber.h"

#include "platform/core/Resources.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

QString digitsOf(const QString &text) {
    QString digits;
    for (QChar c : text) {
        if (c.isDigit())
            digits += c;
    }
    return digits;
}

// Cleaning may cut letters and marks, but a result that lost a digit or kept a letter
// other than the extension marker would no longer be the number the user typed.
bool cleaningKeptTheNumber(const QString &original, const QString &cleaned) {
    if (digitsOf(original) != digitsOf(cleaned))
        return false;
    const qsizetype marker = cleaned.indexOf(u'x');
    for (qsizetype i = 0; i < cleaned.size(); ++i) {
        const QChar c = cleaned[i];
        if (c.isDigit() || (c == u'+' && i == 0) || i == marker)
            continue;
        return false;
    }
    return true;
}

} // namespace

NormalizePhoneNumber::NormalizePhoneNumber()
    : NormalizePhoneNumber(arrayFromCountryNumbersString(
          QString::fromUtf8(Resources::read(QStringLiteral(":/data/CountryNumbers.csv"))))) {}

NormalizePhoneNumber::NormalizePhoneNumber(std::vector<CountryNumberEntry> table) : countryNumbers_(std::move(table)) {
    // Sorted once: one normalizer lays out every selected number, and a sort per number
    // cost more than the rest of its work together.
    std::stable_sort(countryNumbers_.begin(), countryNumbers_.end(),
                     [](const CountryNumberEntry &a, const CountryNumberEntry &b) { return a.number < b.number; });
}

std::vector<CountryNumberEntry> NormalizePhoneNumber::arrayFromCountryNumbersString(const QString &text) {
    std::vector<CountryNumberEntry> entries;
    static const QRegularExpression newline(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}\\x{85}\\f\\v]"));
    const QStringList lines = text.split(newline);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.size() < 2)
            continue;
        const QStringList fields = line.split(u',');
        // A line that is not four fields, or whose code is not all digits, could only
        // ever shadow real codes: leave it out.
        if (fields.size() != 4 || fields[0].isEmpty() || digitsOf(fields[0]) != fields[0])
            continue;
        entries.push_back({fields[0], fields[0].left(1), fields[1], fields[2], fields[3]});
    }
    return entries;
}

QString NormalizePhoneNumber::removeHyphenAndParenthesis(const QString &text) {
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        if (c != u'-' && c != u'(' && c != u')' && c != u' ')
            result += c;
    }
    return result;
}

QString NormalizePhoneNumber::normalizeExtension(const QString &text) {
    static const QRegularExpression marker(QStringLiteral("(ext\\.|ext|x)[0-9]"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = marker.match(text);
    if (match.hasMatch()) {
        QString result = text;
        result.replace(match.capturedStart(), match.capturedLength() - 1, QStringLiteral("x"));
        return result;
    }
    qsizetype start = text.startsWith(u'+') ? 1 : 0;
    qsizetype end = start;
    while (end < text.size() && text[end].isDigit())
        ++end;
    if (end == start)
        return {};
    return text.left(end);
}

void NormalizePhoneNumber::setPhoneNumber(const QString &text) {
    const QString cleaned = normalizeExtension(removeHyphenAndParenthesis(text));
    phoneNumber_ = cleaningKeptTheNumber(text, cleaned) ? cleaned : QString();
}

QString NormalizePhoneNumber::countryNumber(const QString &number) const {
    if (number.size() < 2 || !number.startsWith(u'+'))
        return {};
    const int digit = number[1].isDigit() ? number[1].digitValue() : 0;
    for (const CountryNumberEntry &entry : countryNumbers_) {
        const int first = entry.firstDigit.isEmpty() ? -1 : entry.firstDigit[0].digitValue();
        if (first < digit)
            continue;
        if (first > digit)
            return {};
        if (number.size() > entry.number.size() + 1 && QStringView(number).mid(1).startsWith(entry.number))
            return entry.number;
    }
    return {};
}

QString NormalizePhoneNumber::format(const std::vector<Layout> &layouts) const {
    QString number = phoneNumber_;
    QString extension;
    const qsizetype x = number.indexOf(u'x');
    if (x >= 0 && x + 1 < number.size()) {
        extension = number.mid(x + 1);
        number = number.left(x);
    }
    const QString code = countryNumber(number);
    QString national = number;
    if (!code.isEmpty())
        national = number.size() > code.size() + 1 ? number.mid(code.size() + 1) : QString();

    QString laidOut = national;
    const int n = int(national.size());
    for (const Layout &layout : layouts) {
        if (n < layout.minimum)
            continue;
        int tailLength = 0;
        for (int length : layout.tail)
            tailLength += length;
        QString result = QString::fromLatin1(layout.format);
        qsizetype at = 0;
        auto fill = [&](const QString &group) {
            const qsizetype slot = result.indexOf(QStringLiteral("%@"), at);
            result.replace(slot, 2, group);
            at = slot + group.size();
        };
        fill(national.left(n - tailLength));
        int position = n - tailLength;
        for (int length : layout.tail) {
            fill(national.mid(position, length));
            position += length;
        }
        laidOut = result;
        break;
    }
    if (!extension.isEmpty())
        laidOut += QStringLiteral(" x") + extension;
    if (!code.isEmpty())
        return u'+' + code + u' ' + laidOut;
    return laidOut;
}

QString NormalizePhoneNumber::fourPlusFour() const {
    return format({{9, "(%@) %@-%@", {4, 4}}, {5, "(%@) %@", {4}}});
}
QString NormalizePhoneNumber::threePlusFour() const {
    return format({{8, "(%@) %@-%@", {3, 4}}, {5, "(%@) %@", {4}}});
}
QString NormalizePhoneNumber::twoPlusFour() const {
    return format({{7, "(%@) %@-%@", {2, 4}}, {5, "(%@) %@", {4}}});
}
QString NormalizePhoneNumber::quadTwo() const {
    return format({{9, "(%@) %@ %@ %@ %@", {2, 2, 2, 2}}, {7, "(%@) %@ %@ %@", {2, 2, 2}}, {5, "(%@) %@ %@", {2, 2}}});
}
QString NormalizePhoneNumber::hyphenThreeFour() const {
    return format({{9, "%@-%@-%@", {4, 4}}, {5, "%@-%@", {4}}});
}
QString NormalizePhoneNumber::hyphenFourThreeThree() const {
    return format({{7, "%@-%@-%@", {3, 3}}, {4, "%@-%@", {3}}});
}
