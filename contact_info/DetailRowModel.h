#pragma once

#include "model/ContactContainers.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One row of the detail table and of the contact popover.
struct InfoTableRow {
    QString type; // the field identifier, or the custom item's name
    // The name part, the value's label, or the choice shown; absent on rows of a text field.
    std::optional<QString> label;
    std::optional<qint64> labelIndex; // name part position, or the value's own running number
    std::optional<qsizetype> index;   // position of the value in its field's list
    qsizetype rowOrderIndex = 0;      // position of the row's field in the row order
    std::optional<QString> value;     // the empty text on the Photo and Groups rows
    int numLines = 0;                 // written by the row-height computation

    friend bool operator==(const InfoTableRow &, const InfoTableRow &) = default;
};

// The 22 fields of the default row order; also the field order of pasted text.
const QStringList &DefaultRowOrder();

// Turns a contact into the rows of the detail panel or the contact popover, in a row
// order kept per panel and started from the order stored by the last row drag.
class DetailRowModel {
public:
    static inline const QString LastRowOrderKey = QStringLiteral("QM1DlastRowOrder");

    // The rows of the contact (none without one). Keeps the row order and the name
    // ordering choices on the way; every value gets a row, whatever the selected labels.
    std::optional<QList<InfoTableRow>> tableFromContact(const ContactEntry *contact,
                                                        const QStringList &selectedLabels,
                                                        const QList<CustomItemDefinition> &customItems);

    const std::optional<QStringList> &rowOrderTable() const { return rowOrderTable_; }
    void setRowOrderTable(const QStringList &order) { rowOrderTable_ = order; }
    const QStringList &nameOrderingLabels() const { return nameOrderingLabels_; }

private:
    void keepRowOrder(const QList<CustomItemDefinition> &customItems);
    QString nameOrderingText(QMPerson &person);

    std::optional<QStringList> rowOrderTable_;
    QStringList nameOrderingLabels_;
};
