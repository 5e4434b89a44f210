#pragma once

#include "model/ContactContainers.h"
#include "model/FindTarget.h"
#include "model/PersonRecords.h"

#include <QFont>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QMPerson;

// What one document window's panes follow: the list font, the edit state, the window's
// custom-item definitions and the find string, options and current match. The main view
// controller owns one per window and every pane observes it instead of keeping a copy;
// later panes (find bar, label panels, print settings) hang their state here too. Setters
// signal every call, because a window refreshes its panes even when a value is set again.
class WindowState : public QObject {
    Q_OBJECT
public:
    static inline const QString DefaultFontNameKey = QStringLiteral("QM1DdefaultFontName");
    static inline const QString DefaultFontSizeKey = QStringLiteral("QM1DdefaultFontSize");
    static inline const QString LastEditStateKey = QStringLiteral("QM1DlastEditState");
    // The bare font keys serve unnamed documents and this name.
    static inline const QString UnnamedDocument = QStringLiteral("AddressBook");
    static inline const QString CaseSensitive = QStringLiteral("caseSensitive");
    static constexpr double MinimumFontSize = 7.0;
    static constexpr double DefaultFontSize = 12.0;

    explicit WindowState(QObject *parent = nullptr);

    // ---- The list font
    const QFont &selectedFont() const { return selectedFont_; }
    // Applies the font to the window's panes and keeps it as the default font of later windows.
    void setSelectedFont(const QFont &font);
    // The system font at the default size.
    static QFont systemFont();
    // The per-document font keys: "QMFontName <name>", bare for an unnamed document.
    static QString fontNameKey(const QString &documentName);
    static QString fontSizeKey(const QString &documentName);
    // The document's stored font, or the system font; applied without becoming the default.
    void readDocumentFont(const QString &documentName);
    void storeDocumentFont(const QString &documentName) const;

    // ---- Edit state: unlocked (true) or locked
    bool editState() const { return editState_; }
    void setEditState(bool editState);
    // The state of the last window closed or switched, under "QM1DlastEditState".
    void storeEditState() const;
    static bool storedEditState();

    // ---- The window's custom-item definitions: none until gathered from its contacts.
    const std::optional<QList<CustomItemDefinition>> &customItems() const { return customItems_; }
    const QList<CustomItemDefinition> &customItemsOrEmpty() const;
    void setCustomItems(const QList<CustomItemDefinition> &items);
    // Every contact entering the window comes through here (the document's contacts, an
    // import, a drop, a paste), so an export writes the custom items it brought. Registers
    // each item whose name and type the window does not know yet (one name may come with
    // both types). The first call gathers the list; answers whether it changed.
    bool addContacts(const QList<ContactEntry> &contacts);
    // The value kind of a field: the contact's own, else its custom item definition's.
    QString kindForIdentifier(const QMPerson &person, const QString &identifier) const;

    // ---- Find: the text, "caseSensitive" or nothing, and the current match
    const QString &findString() const { return findString_; }
    void setFindString(const QString &findString);
    const QString &findOptions() const { return findOptions_; }
    void setFindOptions(const QString &findOptions);
    const std::optional<FindTarget> &findTarget() const { return findTarget_; }
    void setFindTarget(const std::optional<FindTarget> &target);

signals:
    void selectedFontChanged(const QFont &font);
    void editStateChanged(bool editState);
    void customItemsChanged();
    void findChanged();

private:
    QFont selectedFont_ = systemFont();
    bool editState_ = true;
    std::optional<QList<CustomItemDefinition>> customItems_;
    QString findString_;
    QString findOptions_;
    std::optional<FindTarget> findTarget_;
};
