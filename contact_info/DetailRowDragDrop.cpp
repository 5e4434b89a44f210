// Dragging the rows of the detail table and of the contact popover: reordering fields
// within one table, carrying a value to another contact's table.
#include "contact_info/ContactInfoController.h"

#include "model/QMvCard.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Pasteboard.h"

namespace {

bool isNamePart(const QString &identifier) {
    return identifier == FieldId::Name || identifier == FieldId::PhoneticName;
}

// A name or phonetic name part of a contact, by the row's label ("FirstName"...).
QString namePart(QMPerson &person, const QString &identifier, const QString &part) {
    if (identifier == FieldId::Name) {
        NameRecord name = person.nameValue();
        const QString *text = name.part(part);
        return text ? *text : QString();
    }
    std::optional<PhoneticNameRecord> phonetic = person.phoneticNameValue();
    const QString *text = phonetic ? phonetic->part(part) : nullptr;
    return text ? *text : QString();
}

// The position of the dragged value in its field: 0 when the pasteboard has none, nothing
// when what it has is no position.
std::optional<qsizetype> droppedPosition(const Pasteboard &info) {
    if (!info.types().contains(PasteboardType::LabelIndex))
        return 0;
    bool ok = false;
    const qlonglong position = info.stringForType(PasteboardType::LabelIndex).trimmed().toLongLong(&ok);
    if (!ok || position < 0)
        return std::nullopt;
    return qsizetype(position);
}

bool sendDroppedValue(ContactInfoControllerDelegate &receiver, const QString &identifier, const QString &kind,
                      const FieldValue &value, const std::shared_ptr<QMPerson> &contact, QObject *sender) {
    if (identifier == FieldId::Name) {
        const auto *name = value.get<NameRecord>();
        return name && receiver.undoReplaceNameValue(*name, contact);
    }
    if (identifier == FieldId::PhoneticName) {
        const auto *phonetic = value.get<PhoneticNameRecord>();
        return phonetic && receiver.undoReplacePhoneticNameValue(*phonetic, contact);
    }
    if (identifier == FieldId::Photo)
        return receiver.undoReplacePhoto(value, contact);
    if (identifier == FieldId::Birthday)
        return receiver.undoReplaceBirthday(value, contact);
    if (kind == ValueKind::Labeled)
        return receiver.undoReplaceLabeledValue(value, identifier, contact, sender);
    return receiver.undoReplaceStringValue(value.text(), identifier, contact, sender);
}

// The kind of a row's field as drops see it: the fields of their own by name.
QString dropKind(QMPerson &shown, const QString &identifier, const QList<CustomItemDefinition> &items) {
    if (isNamePart(identifier) || identifier == FieldId::Photo || identifier == FieldId::Birthday ||
        identifier == FieldId::Groups || identifier == FieldId::NameOrdering)
        return identifier;
    return shown.typeForIdentifier(identifier, items);
}

} // namespace

bool ContactInfoController::canDragRowsWithIndexes(const QList<int> &rows, const QPoint &point) const {
    Q_UNUSED(rows)
    Q_UNUSED(point)
    return true;
}

bool ContactInfoController::tableViewWriteRowsWithIndexes(const QList<int> &rows, Pasteboard &pasteboard) {
    if (rows.isEmpty() || !contact_ || !contact_->person)
        return false;
    const int first = *std::min_element(rows.begin(), rows.end());
    if (first < 0 || first >= table_.size())
        return false;
    draggingSourceIndex_ = first;
    const InfoTableRow &row = table_.at(first);
    QMPerson &person = *contact_->person;
    // The value's position in its field, which the receiver reads as such (a name row's
    // part position is never read: the receiver takes the part its own row names).
    const qint64 position = row.index ? qint64(*row.index) : row.labelIndex.value_or(0);
    const bool popover = popoverCells_;

    pasteboard.declareTypes({PasteboardType::VCard, PasteboardType::Identifier, PasteboardType::LabelIndex});
    pasteboard.setSource(tableView_ ? tableView_->window() : nullptr, tableView_);
    if (popover)
        pasteboard.setString(row.type, PasteboardType::Identifier);
    QStringList options = {VCardOption::Note, VCardOption::Photo};
    if (!popover)
        options.append(VCardOption::Custom);
    const QString card = QMvCard().vCardFromContact(*contact_, options, windowState_->customItems());
    if (card.isEmpty())
        return popover;
    pasteboard.setData(card.toUtf8(), PasteboardType::VCard);
    pasteboard.setString(row.type, PasteboardType::Identifier);
    pasteboard.setString(QString::number(position), PasteboardType::LabelIndex);

    // What the row shows, as the popover also offers it to other programs.
    const QString kind = dropKind(person, row.type, customItems());
    QString text;
    bool shows = false;
    if (isNamePart(row.type)) {
        text = namePart(person, row.type, row.label.value_or(QString()));
        shows = !text.isEmpty();
    } else if (row.type == FieldId::Birthday) {
        const std::optional<BirthdayRecord> birthday = person.birthdayValue();
        text = birthday ? birthday->stringValue : QString();
        shows = !text.isEmpty();
    } else if (row.type == FieldId::Photo) {
        shows = !person.photoData().isEmpty();
        if (popover && shows)
            pasteboard.writeImage(person.thumbnail());
    } else if (kind == ValueKind::Labeled) {
        const auto value = row.labelIndex ? person.labeledValueForIdentifier(row.type, LabelIndex(*row.labelIndex))
                                          : std::nullopt;
        text = value ? value->stringValue : QString();
        shows = !text.isEmpty();
    } else if (kind == ValueKind::String) {
        text = person.stringValueForIdentifier(row.type);
        shows = true;
    }
    if (popover && !text.isEmpty())
        pasteboard.setString(text);
    return popover || shows;
}

std::shared_ptr<QMPerson> ContactInfoController::droppedContact(const Pasteboard &info) {
    const QByteArray data = info.dataForType(PasteboardType::VCard);
    if (data.isEmpty())
        return nullptr;
    if (data != droppedCard_.data) {
        droppedCard_.data = data;
        std::unique_ptr<QMPerson> person = QMPerson::initWithVCardData(data);
        if (person)
            QMvCard::decodeVCardCustomItems(QString::fromUtf8(data), *person);
        droppedCard_.person = std::move(person);
    }
    return droppedCard_.person;
}

Qt::DropAction ContactInfoController::tableViewValidateDrop(const Pasteboard &info, int row,
                                                            TableViewDropOperation operation) {
    // A picture for the Photo row comes first, from any program; other drags of other
    // programs go no further.
    if (operation == TableViewDropOperation::On && validatePhotoRowDrop(row, info))
        return Qt::CopyAction;
    if (!info.isFromThisApplication())
        return Qt::IgnoreAction;
    const bool above = operation == TableViewDropOperation::Above;
    const int rows = int(table_.size());
    if (info.isFromView(tableView_)) {
        // Reordering: only between rows, before the first row of a field or at the end.
        if (!above || row < 0 || row > rows)
            return Qt::IgnoreAction;
        const bool firstOfField = row < rows && (row == 0 || table_.at(row - 1).type != table_.at(row).type);
        return row == rows || row == draggingSourceIndex_ || firstOfField ? Qt::MoveAction : Qt::IgnoreAction;
    }
    if (!editState() || row < 0 || row >= rows || !contact_ || !contact_->person)
        return Qt::IgnoreAction;
    const InfoTableRow &target = table_.at(row);
    if (info.types().contains(PasteboardType::Identifier) &&
        info.stringForType(PasteboardType::Identifier) != target.type)
        return Qt::IgnoreAction;
    const std::shared_ptr<QMPerson> dropped = droppedContact(info);
    const std::optional<qsizetype> position = droppedPosition(info);
    if (!dropped || !position)
        return Qt::IgnoreAction;
    QMPerson &shown = *contact_->person;
    const QString kind = dropKind(shown, target.type, customItems());
    const Qt::DropAction onRowOnly = above ? Qt::IgnoreAction : Qt::MoveAction;
    if (isNamePart(target.type))
        return namePart(*dropped, target.type, target.label.value_or(QString())).isEmpty() ? Qt::IgnoreAction
                                                                                          : onRowOnly;
    if (target.type == FieldId::Photo)
        return dropped->photoData().isEmpty() ? Qt::IgnoreAction : onRowOnly;
    if (target.type == FieldId::Birthday) {
        const std::optional<BirthdayRecord> birthday = dropped->birthdayValue();
        return birthday && birthday->value ? onRowOnly : Qt::IgnoreAction;
    }
    if (target.type == FieldId::Groups || target.type == FieldId::NameOrdering)
        return Qt::IgnoreAction;
    if (kind == ValueKind::Labeled) {
        if (!dropped->labeledValueForIdentifier(target.type, *position))
            return Qt::IgnoreAction;
        const std::optional<LabeledValueList> values = shown.labeledValueForIdentifier(target.type);
        if (values && !values->isEmpty())
            return above ? Qt::CopyAction : Qt::MoveAction;
        return Qt::CopyAction;
    }
    return dropped->stringValueForIdentifier(target.type).isEmpty() ? Qt::IgnoreAction : onRowOnly;
}

bool ContactInfoController::tableViewAcceptDrop(const Pasteboard &info, int row, TableViewDropOperation operation) {
    const int rows = int(table_.size());
    if (operation == TableViewDropOperation::On && validatePhotoRowDrop(row, info))
        return acceptPhotoRowDrop(row, info);
    if (!info.isFromView(tableView_))
        return acceptValueDrop(info, row, operation);
    if (row < 0 || row > rows || row == draggingSourceIndex_ || draggingSourceIndex_ < 0 ||
        draggingSourceIndex_ >= rows || !rowOrderTable())
        return false;
    QStringList order = *rowOrderTable();
    const qsizetype from = table_.at(draggingSourceIndex_).rowOrderIndex;
    if (from < 0 || from >= order.size())
        return false;
    const QString field = order.takeAt(from);
    if (row == rows) {
        // Dropped after the last row, the field goes to the end.
        order.append(field);
    } else {
        // The field lands just before the field of the row it was dropped above.
        const qsizetype to = table_.at(row).rowOrderIndex;
        order.insert(from >= to ? to : to - 1, field);
    }
    rows_.setRowOrderTable(order);
    reloadKeepingSelection(false);
    UserDefaults::standard().setObject(order, DetailRowModel::LastRowOrderKey);
    return true;
}

bool ContactInfoController::acceptValueDrop(const Pasteboard &info, int row, TableViewDropOperation operation) {
    if (!editState() || row < 0 || row >= int(table_.size()))
        return false;
    const bool above = operation == TableViewDropOperation::Above;
    // Reloaded whether the drop was taken or not.
    const auto finish = [&](bool taken) {
        reloadKeepingSelection(false);
        if (popoverCells_)
            selectRows({row});
        return taken;
    };
    const InfoTableRow target = table_.at(row);
    const std::shared_ptr<QMPerson> dropped = droppedContact(info);
    const std::optional<qsizetype> position = droppedPosition(info);
    if (!dropped || !position || !contact_ || !contact_->person ||
        (info.types().contains(PasteboardType::Identifier) &&
         info.stringForType(PasteboardType::Identifier) != target.type))
        return finish(false);
    QMPerson &shown = *contact_->person;
    const QString kind = dropKind(shown, target.type, customItems());
    const QString part = target.label.value_or(QString());
    if (target.type == FieldId::Name) {
        const QString text = namePart(*dropped, target.type, part);
        NameRecord name = shown.nameValue();
        QString *into = name.part(part);
        if (text.isEmpty() || !into)
            return finish(false);
        *into = text;
        return finish(applyDroppedValue(target.type, name));
    }
    if (target.type == FieldId::PhoneticName) {
        const QString text = namePart(*dropped, target.type, part);
        PhoneticNameRecord phonetic = shown.phoneticNameValue().value_or(PhoneticNameRecord());
        QString *into = phonetic.part(part);
        if (text.isEmpty() || !into)
            return finish(false);
        *into = text;
        return finish(applyDroppedValue(target.type, phonetic));
    }
    if (target.type == FieldId::Photo) {
        const QImage photo = dropped->photo();
        return finish(!photo.isNull() && applyDroppedValue(target.type, photo));
    }
    if (target.type == FieldId::Birthday) {
        const std::optional<BirthdayRecord> birthday = dropped->birthdayValue();
        return finish(birthday && birthday->value && applyDroppedValue(target.type, *birthday));
    }
    if (target.type == FieldId::Groups || target.type == FieldId::NameOrdering)
        return finish(false);
    if (kind == ValueKind::Labeled) {
        std::optional<LabeledValueRecord> value = dropped->labeledValueForIdentifier(target.type, *position);
        if (!value)
            return finish(false);
        LabeledValueList values = shown.labeledValueForIdentifier(target.type).value_or(LabeledValueList());
        if (values.isEmpty()) {
            value->labelIndex = 0;
            values = {*value};
        } else {
            const qsizetype at = target.index.value_or(values.size());
            if (at < 0 || at >= values.size())
                return finish(false);
            if (above) {
                // A value of its own: the dropped one's number may be another value's here.
                value->labelIndex = QMPerson::nextLabelIndex(values);
                values.insert(at, *value);
            } else {
                value->labelIndex = values.at(at).labelIndex;
                values[at] = *value;
            }
        }
        return finish(applyDroppedValue(target.type, values));
    }
    const QString text = dropped->stringValueForIdentifier(target.type);
    return finish(!text.isEmpty() && applyDroppedValue(target.type, text));
}

bool ContactInfoController::applyDroppedValue(const QString &identifier, const FieldValue &value) {
    if (!contact_ || !contact_->person || !delegate_)
        return false;
    const std::shared_ptr<QMPerson> contact = contact_->person;
    const QString kind = contact->typeForIdentifier(identifier, customItems());
    // In a popover's table the delegate is the popover, which passes the edit on as sender.
    return sendDroppedValue(*delegate_, identifier, kind, value, contact, this);
}

void ContactInfoController::installRowDragAndDrop() {
    // The row under the mouse is the dragged one, whatever else is selected.
    // Most values are shown by cell widgets: a drop over one lands on its row.
    installTableRowDragDrop(
        tableView_, this,
        [this](int pressedRow, const QList<int> &) -> QList<int> {
            return pressedRow >= 0 && pressedRow < table_.size() ? QList<int>{pressedRow} : QList<int>{};
        },
        true);
}
