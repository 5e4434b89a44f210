#pragma once

#include "model/PersonRecords.h"

#include <QHash>
#include <QString>

#include <functional>

class Menu;
class MenuItem;
class PullDownButton;
class QObject;

// The pull-downs of the address editors. Their items act through their own connections,
// never through the responder chain.
namespace CountryPullDown {

// A menu whose item 0, the button's face, reads `title`.
Menu *makeMenu(const QString &title);
// Gives the button a new menu; the old one goes.
void replaceMenu(PullDownButton *button, Menu *menu);
void setTitle(PullDownButton *button, const QString &title);

// "JP (Japan)": a code and a country's name.
QString codeTitle(const QString &code, const QString &name);
// "Default (JP)": the contact's default country.
QString defaultTitle(const QString &defaultCode);
// A country's name as the menus list it: in the user's language when known.
QString listedName(const AddressFormatEntry &entry);

// The country menu: the face `title`, "Default (XX)", a separator, then the letters "A" to
// "Z", each with a submenu of the countries whose code begins with it, sorted by code.
// `chosen` receives the chosen item's code, the empty text for the default, and its title.
Menu *makeCountryMenu(const QString &title, const QString &defaultCode,
                      const QHash<QString, AddressFormatEntry> &formats, QObject *receiver,
                      std::function<void(const QString &code, const QString &title)> chosen);

} // namespace CountryPullDown
