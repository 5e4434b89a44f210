#pragma once

#include <QString>

#include <array>

// What the contact tables' context menus hand to other applications: a phone to call, an
// address to write to, a web page, an address on a map. One rule for every table, so the
// same value opens the same URL wherever it is shown.
namespace ValueLinks {

// The keys that tell the items of one field apart (the address's two maps), never shown.
inline const QString OpenInMaps = QStringLiteral("maps");
inline const QString OpenWebMap = QStringLiteral("web");
inline const QString OpenCalendar = QStringLiteral("calendar");

// The address's two map items, titled alike in every contact table's menu (the panel, the
// contact popover, the contacts table and the merge sheet): the title, a translation key,
// and the key openValue takes. There is no map application of a maker here, so neither
// title names one.
struct MapItem {
    const char *title;
    QString item;
};
const std::array<MapItem, 2> &mapItems();

// Opens the value of the field ("Phone", "Email", "URL", "Address" with the map's key);
// answers whether anything was opened. An empty value, a text that makes no valid URL and
// any other field open nothing; there is no calendar to open here.
bool openValue(const QString &identifier, const QString &text, const QString &item = QString());

} // namespace ValueLinks
