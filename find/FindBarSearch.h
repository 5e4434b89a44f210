#pragma once

#include "contacts_table/SubContactRow.h"
#include "model/FindTarget.h"
#include "model/PersonRecords.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

#include <functional>
#include <memory>
#include <optional>

class QMPerson;

enum class FindDirection { Next, Previous };

// What find next and previous walk: while the detail panel is hidden, the contacts table's
// rows in their shown order over its shown columns; while it is shown, the fields of the
// contact it shows in its row order, then those of the table's other contacts in its order.
struct FindBarScope {
    // The table (panel hidden; shown, only its order of contacts counts). A multi-valued
    // value whose label the label filter hides shows as an empty cell, and is passed over.
    const SubContactTable *rows = nullptr;
    QStringList columns;
    std::function<bool(const std::optional<QString> &label)> labelShown;
    // The detail panel (shown).
    bool detailShown = false;
    std::shared_ptr<QMPerson> contact;
    QStringList rowOrder;
    // The window's custom items, which name the kind of an item a contact does not carry.
    QList<CustomItemDefinition> customItems;
};

// One part of a value shown joined with others in one cell: its key, its text and where the
// text starts in the cell.
struct FindTextPart {
    QString key;
    QString text;
    qsizetype start = 0;
};
// A cell's parts: a few, kept off the heap (a walk splits every name cell it passes).
using FindTextParts = QVarLengthArray<FindTextPart, 4>;

// Find next and find previous of the find bar: from the current match, the first hit of the
// find text in the cells (or detail rows) the scope walks, with or without case. A match
// names its value by the value's running number, whichever pane found it, so the tables,
// the highlights and the replace all find the same value again after a sort or a deletion.
class FindBarSearch {
public:
    FindBarSearch(const QString &findString, Qt::CaseSensitivity caseSensitivity);

    // The position a walk starts from when there is no current match: the name of the
    // table's first row, before its first character.
    static FindTarget startTarget(const FindBarScope &scope);

    // The next (or previous) hit after the current match, wrapping round the table once or
    // round the detail panel's fields; none when no shown text holds the find text.
    std::optional<FindTarget> find(const FindTarget &current, const FindBarScope &scope,
                                   FindDirection direction) const;

    // The first hit in one cell or detail row after (before) the range: `labelIndex` names
    // the value of a multi-valued field, an address part's address included; `inDetail`
    // splits names into the panel's part rows instead of the table's joined name.
    std::optional<FindTarget> findInCell(QMPerson &person, const QString &identifier,
                                         const QString &subIdentifier, qint64 labelIndex,
                                         const TextRange &range, bool inDetail, FindDirection direction,
                                         const QList<CustomItemDefinition> &customItems) const;

    // The hit in a text after the range (before it, backwards); a range not found searches
    // the whole text.
    static TextRange lookForString(const QString &findString, const QString &text, const TextRange &range,
                                   Qt::CaseSensitivity caseSensitivity, FindDirection direction);

private:
    // How a column's cells are searched; the built-in fields' kinds never depend on the contact.
    enum class CellKind {
        Name,
        PhoneticName,
        Address,
        AddressPart,
        InstantMessage,
        Never,
        Labeled,
        Text,
        ByContact
    };
    static CellKind cellKind(const QString &identifier);
    // The kinds whose cells show one value of a list (an address's part included).
    static bool isMultiValued(CellKind kind);
    // A hit inside one part of a cell: its range in the cell, in the part, and the part's key.
    struct PartHit {
        TextRange range;
        TextRange itemRange;
        QString part;
    };
    std::optional<PartHit> searchParts(const FindTextParts &parts, const QString &subIdentifier,
                                       TextRange range, FindDirection direction) const;
    std::optional<PartHit> searchRows(const FindTextParts &rows, const QString &subIdentifier,
                                      TextRange range, FindDirection direction) const;
    std::optional<PartHit> searchAddress(const LabeledValueRecord &address, TextRange range,
                                         FindDirection direction) const;
    CellKind kindFor(CellKind columnKind, QMPerson &person, const QString &identifier,
                     const QList<CustomItemDefinition> &customItems) const;
    std::optional<FindTarget> searchCell(QMPerson &person, const QString &identifier, CellKind kind,
                                         const LabeledValueRecord *value, qint64 labelIndex,
                                         const QString &subIdentifier, const TextRange &range, bool inDetail,
                                         FindDirection direction) const;
    std::optional<FindTarget> searchRow(const SubContactRow &row, const QList<CellKind> &kinds,
                                        const FindBarScope &scope, qsizetype fromColumn,
                                        const FindTarget *position, FindDirection direction) const;
    std::optional<FindTarget> walkTable(const FindTarget &current, const FindBarScope &scope,
                                        FindDirection direction) const;
    std::optional<FindTarget> walkDetail(const FindTarget &current, const FindBarScope &scope,
                                         FindDirection direction) const;
    std::optional<FindTarget> searchFields(const std::shared_ptr<QMPerson> &contact,
                                           const FindBarScope &scope, qsizetype start, qsizetype steps,
                                           const FindTarget *position, FindDirection direction) const;

    QString findString_;
    Qt::CaseSensitivity cs_;
};

// The name (or phonetic name) parts the table's cell shows joined by one blank, in the
// order it shows them: the shown text decides, so an empty part takes no place.
FindTextParts joinedNameParts(const QString &shown, const FindTextPart &first, const FindTextPart &last,
                              bool lastFirst);
// The service (with its ":") and the user name of an instant-message cell.
FindTextParts instantMessageParts(const LabeledValueRecord &value);
