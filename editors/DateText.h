#pragma once

#include "platform/contacts/CNContact.h"

#include <QString>
#include <QStringList>

#include <optional>

// The date texts of the date editors, made and read by ICU in the user's locale (Qt's
// default locale), always in the proleptic Gregorian calendar and never leniently: a text
// counts only when all of it is a real date.
namespace DateText {

// "yyyy.MM.dd(EEE)", or "MM.dd" for a date without a year; empty for no valid date.
QString stringFromDateComponents(const DateComponents &components);
// Tries "yyyy.MM.dd(EEE)", "yyyy.MM.dd EEE" and "yyyy.MM.dd" in this order, then "MM.dd"
// (a date without a year). Blanks around the text are ignored; a weekday that does not
// fit the date gives way to the date.
std::optional<DateComponents> dateComponentsFromString(const QString &text);
// The twelve month titles ("MMM").
QStringList monthTitles();

} // namespace DateText
