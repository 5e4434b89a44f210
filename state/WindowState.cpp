#include "state/WindowState.h"

#include "model/QMPerson.h"
#include "platform/core/Dispatch.h"
#include "platform/core/UserDefaults.h"

#include <QFontDatabase>

#include <algorithm>
#include <vector>

namespace {

// The other platform's name of its system font.
const QString SystemFontName = QStringLiteral(".AppleSystemUIFont");

QString documentKey(const QString &key, const QString &documentName) {
    if (documentName.isEmpty() || documentName == WindowState::UnnamedDocument)
        return key;
    return key + QLatin1Char(' ') + documentName;
}

void addIfNew(QList<CustomItemDefinition> &items, const CustomItemDefinition &item) {
    const bool known = std::any_of(items.cbegin(), items.cend(), [&](const CustomItemDefinition &other) {
        return other.name == item.name && other.type == item.type;
    });
    if (!known)
        items.append(item);
}

} // namespace

WindowState::WindowState(QObject *parent)
    : QObject(parent) {}

QFont WindowState::systemFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(DefaultFontSize);
    return font;
}

void WindowState::setSelectedFont(const QFont &font) {
    selectedFont_ = font;
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(font.family(), DefaultFontNameKey);
    defaults.setObject(float(font.pointSizeF()), DefaultFontSizeKey);
    emit selectedFontChanged(font);
}

QString WindowState::fontNameKey(const QString &documentName) {
    return documentKey(QStringLiteral("QMFontName"), documentName);
}

QString WindowState::fontSizeKey(const QString &documentName) {
    return documentKey(QStringLiteral("QMFontSize"), documentName);
}

void WindowState::readDocumentFont(const QString &documentName) {
    const UserDefaults &defaults = UserDefaults::standard();
    const QString name = defaults.stringForKey(fontNameKey(documentName));
    if (name.isEmpty() || name == SystemFontName ||
        !QFontDatabase::families().contains(name, Qt::CaseInsensitive)) {
        selectedFont_ = systemFont();
    } else {
        QFont font(name);
        font.setPointSizeF(std::max(defaults.doubleForKey(fontSizeKey(documentName)), MinimumFontSize));
        selectedFont_ = font;
    }
    emit selectedFontChanged(selectedFont_);
}

void WindowState::storeDocumentFont(const QString &documentName) const {
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setObject(selectedFont_.family(), fontNameKey(documentName));
    defaults.setObject(float(selectedFont_.pointSizeF()), fontSizeKey(documentName));
}

void WindowState::setEditState(bool editState) {
    editState_ = editState;
    emit editStateChanged(editState);
}

void WindowState::storeEditState() const {
    UserDefaults::standard().setBool(editState_, LastEditStateKey);
}

bool WindowState::storedEditState() {
    return UserDefaults::standard().boolForKey(LastEditStateKey);
}

void WindowState::setCustomItems(const QList<CustomItemDefinition> &items) {
    customItems_ = items;
    emit customItemsChanged();
}

bool WindowState::addContacts(const QList<ContactEntry> &contacts) {
    const bool gathered = customItems_.has_value();
    QList<CustomItemDefinition> items = customItemsOrEmpty();
    const qsizetype before = items.size();
    // A large file's contacts are read in parts at once; each part's items in the order met,
    // the parts in the table's order, keep the order of one pass.
    const int parts = contacts.size() >= 8192 ? Dispatch::concurrentPartCount() : 1;
    std::vector<QList<CustomItemDefinition>> met(static_cast<size_t>(parts));
    Dispatch::concurrently(parts, [&](int part) {
        for (qsizetype i = contacts.size() * part / parts; i < contacts.size() * (part + 1) / parts; ++i)
            if (const std::shared_ptr<QMPerson> &person = contacts[i].person)
                for (const CustomItemDefinition &item : person->customItems())
                    addIfNew(met[size_t(part)], item);
    });
    for (const QList<CustomItemDefinition> &part : std::as_const(met))
        for (const CustomItemDefinition &item : part)
            addIfNew(items, item);
    if (gathered && items.size() == before)
        return false;
    setCustomItems(items);
    return true;
}

const QList<CustomItemDefinition> &WindowState::customItemsOrEmpty() const {
    static const QList<CustomItemDefinition> none;
    return customItems_ ? *customItems_ : none;
}

QString WindowState::kindForIdentifier(const QMPerson &person, const QString &identifier) const {
    return person.typeForIdentifier(identifier, customItemsOrEmpty());
}

void WindowState::setFindString(const QString &findString) {
    findString_ = findString;
    emit findChanged();
}

void WindowState::setFindOptions(const QString &findOptions) {
    findOptions_ = findOptions;
    emit findChanged();
}

void WindowState::setFindTarget(const std::optional<FindTarget> &target) {
    findTarget_ = target;
    emit findChanged();
}
