#include "editors/DateText.h"

#include <QDate>
#include <QLocale>

#include <unicode/ucal.h>
#include <unicode/udat.h>

#include <cmath>
#include <map>
#include <memory>
#include <utility>

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
constexpr qint64 kJulianDayOfEpoch = 2440588;
const QString kShownFormat = QStringLiteral("yyyy.MM.dd(EEE)");
const QString kYearlessFormat = QStringLiteral("MM.dd");

struct FormatCloser {
    void operator()(UDateFormat *format) const { udat_close(format); }
};
using FormatPtr = std::unique_ptr<UDateFormat, FormatCloser>;

QByteArray icuLocale() {
    const QString name = QLocale().name();
    const QByteArray base = name == QLatin1String("C") ? QByteArrayLiteral("en_US_POSIX") : name.toLatin1();
    return base + "@calendar=gregorian";
}

// One formatter per locale and pattern, kept per thread: opening one costs far more than
// a use, and a formatter may not be shared between threads.
UDateFormat *formatter(const QString &pattern) {
    thread_local std::map<std::pair<QByteArray, QString>, FormatPtr> cache;
    const QByteArray locale = icuLocale();
    auto &slot = cache[{locale, pattern}];
    if (slot)
        return slot.get();
    UErrorCode status = U_ZERO_ERROR;
    FormatPtr format(udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.constData(), u"UTC", -1,
                               reinterpret_cast<const UChar *>(pattern.utf16()), int32_t(pattern.size()),
                               &status));
    if (U_FAILURE(status))
        return nullptr;
    // Gregorian before 1582 too, as QDate and the contact's date components count.
    UCalendar *calendar = ucal_open(u"UTC", -1, locale.constData(), UCAL_GREGORIAN, &status);
    ucal_setGregorianChange(calendar, -8.64e15, &status);
    udat_setCalendar(format.get(), calendar);
    ucal_close(calendar);
    udat_setLenient(format.get(), false);
    if (U_FAILURE(status))
        return nullptr;
    slot = std::move(format);
    return slot.get();
}

QString format(const QString &pattern, const QDate &date) {
    UDateFormat *f = formatter(pattern);
    if (!f || !date.isValid())
        return {};
    const UDate when = double(date.toJulianDay() - kJulianDayOfEpoch) * kMillisecondsPerDay;
    UChar buffer[64];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = udat_format(f, when, buffer, 64, nullptr, &status);
    if (U_FAILURE(status))
        return {};
    return QString(reinterpret_cast<const QChar *>(buffer), length);
}

std::optional<QDate> parse(const QString &pattern, const QString &text) {
    UDateFormat *f = formatter(pattern);
    if (!f || text.isEmpty())
        return std::nullopt;
    int32_t position = 0;
    UErrorCode status = U_ZERO_ERROR;
    const UDate when = udat_parse(f, reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()),
                                  &position, &status);
    if (U_FAILURE(status) || position != text.size())
        return std::nullopt;
    const auto days = qint64(std::floor(when / kMillisecondsPerDay));
    return QDate::fromJulianDay(days + kJulianDayOfEpoch);
}

DateComponents componentsOf(const QDate &date) {
    return {date.year(), date.month(), date.day()};
}

} // namespace

QString DateText::stringFromDateComponents(const DateComponents &components) {
    if (!components.isValidDate())
        return {};
    return format(components.hasYear() ? kShownFormat : kYearlessFormat, components.date());
}

std::optional<DateComponents> DateText::dateComponentsFromString(const QString &text) {
    const QString trimmed = text.trimmed();
    for (const QString &pattern :
         {kShownFormat, QStringLiteral("yyyy.MM.dd EEE"), QStringLiteral("yyyy.MM.dd")})
        if (const auto date = parse(pattern, trimmed))
            return componentsOf(*date);
    // Read in the leap year that stands in for a missing one, so 02.29 is a day.
    const QString standIn = QString::number(DateComponents::leapYearForMissingYear) + QLatin1Char('.');
    if (const auto date = parse(QStringLiteral("yyyy.MM.dd"), standIn + trimmed)) {
        DateComponents components = componentsOf(*date);
        components.year = DateComponents::Undefined;
        return components;
    }
    return std::nullopt;
}

QStringList DateText::monthTitles() {
    QStringList titles;
    for (int month = 1; month <= 12; ++month)
        titles.append(format(QStringLiteral("MMM"), QDate(2016, month, 1)));
    return titles;
}
