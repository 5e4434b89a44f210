#include "editors/CountryPullDown.h"

#include "platform/ui/Menu.h"

#include <algorithm>

namespace CountryPullDown {

Menu *makeMenu(const QString &title) {
    auto *menu = new Menu;
    menu->setAutoenablesItems(false);
    menu->addItem(title);
    return menu;
}

void replaceMenu(PullDownButton *button, Menu *menu) {
    if (Menu *old = button->pullDownMenu())
        old->deleteLater();
    button->setPullDownMenu(menu);
}

void setTitle(PullDownButton *button, const QString &title) {
    if (MenuItem *face = button->pullDownMenu() ? button->pullDownMenu()->itemAtIndex(0) : nullptr)
        face->setTitle(title);
    button->synchronizeTitle();
}

QString codeTitle(const QString &code, const QString &name) {
    return QStringLiteral("%1 (%2)").arg(code, name);
}

QString defaultTitle(const QString &defaultCode) {
    return QStringLiteral("Default (%1)").arg(defaultCode);
}

QString listedName(const AddressFormatEntry &entry) {
    const QString localized = entry.localizedCountry.value_or(QString());
    return localized.isEmpty() ? entry.country : localized;
}

Menu *makeCountryMenu(const QString &title, const QString &defaultCode,
                      const QHash<QString, AddressFormatEntry> &formats, QObject *receiver,
                      std::function<void(const QString &code, const QString &title)> chosen) {
    Menu *menu = makeMenu(title);
    const auto offer = [&](MenuItem *item, const QString &code) {
        QObject::connect(item, &QAction::triggered, receiver,
                         [chosen, code, title = item->title()] { chosen(code, title); });
    };
    offer(menu->addItem(defaultTitle(defaultCode)), QString());
    menu->addItem(MenuItem::separatorItem());
    QHash<QChar, MenuItem *> letters;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
        letters.insert(QChar(letter), menu->addItem(QString(QChar(letter))));
    QStringList codes = formats.keys();
    std::sort(codes.begin(), codes.end());
    for (const QString &code : std::as_const(codes)) {
        MenuItem *letter = letters.value(code.isEmpty() ? QChar() : code.front());
        if (!letter)
            continue;
        if (!letter->hasSubmenu()) {
            auto *submenu = new Menu(letter->title());
            submenu->setAutoenablesItems(false);
            letter->setSubmenu(submenu);
        }
        offer(letter->submenu()->addItem(codeTitle(code, listedName(formats.value(code)))), code);
    }
    return menu;
}

} // namespace CountryPullDown
