// The merge sheet's context menus, their commands (editors, Add and Delete Item, values
// handed to other applications) and the photo commands.
#include "merge/MergePanelController.h"

#include "contact_info/ContactInfoController.h"
#include "editors/PhotoScaling.h"
#include "editors/PictureChoice.h"
#include "editors/ValueLinks.h"
#include "merge/MergeTableView.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Workspace.h"
#include "state/ActionIds.h"

namespace {

using ValueLinks::OpenCalendar;

} // namespace

Menu *MergePanelController::menuOf(const QTableView *table) const {
    return table == tableViews_[Right] ? menus_[Right] : menus_[Left];
}

void MergePanelController::menuNeedsUpdate(Menu *menu) {
    menu->removeAllItems();
    const Side side = menu == menus_[Right] ? Right : Left;
    MergeTableView *table = tableViews_[side];
    const MergeRow *row = table ? rowAt(table, table->clickedRow()) : nullptr;
    if (row && table->clickedColumn() == ValueColumn && contacts_[side])
        addMenuItems(menu, side, *row);
}

void MergePanelController::addMenuItems(Menu *menu, Side side, const MergeRow &row) {
    const auto add = [&](const char *title, const QString &action = QString(), const QVariant &object = {}) {
        MenuItem *item = menu->addItem(L(title), action);
        item->setTarget(this);
        item->setTag(side);
        item->setRepresentedObject(object);
        return item;
    };
    const auto editor = [&](const char *title, EditorKind kind, bool enabled = true) {
        add(title, enabled ? ActionId::ShowPopoverWrapper : QString(), int(kind));
    };
    const QString &workspace = ActionId::DoWorkspaceAction;
    const QString &insert = ActionId::InsertItem;
    const QString &remove = ActionId::DeleteItem;
    const QString &type = row.type;
    const auto person = personOf(side);
    const bool hasText = row.type == FieldId::Photo ? !person->photo().isNull() : !valueText(side, row).isEmpty();
    const QString ifText = hasText ? workspace : QString();

    if (type == FieldId::Photo) {
        PictureChoice::fillImageMenu(menu, hasText, this);
        for (MenuItem *item : menu->itemArray())
            item->setTag(side);
    } else if (type == FieldId::Phone || type == FieldId::Email || type == FieldId::URL) {
        const bool phone = type == FieldId::Phone, email = type == FieldId::Email;
        add(phone ? "Call Phone" : email ? "Send Email" : "Open URL", ifText);
        editor(phone ? "Open Phone Panel" : email ? "Open Email Panel" : "Open URL Panel", EditorKind::MultiValue);
        add("Add Item", insert);
        if (hasText)
            add("Delete Item", remove);
    } else if (type == FieldId::Relationship) {
        editor("Open Relationship Panel", EditorKind::MultiValue);
        editor("Open Edit Panel", EditorKind::MultiValue);
        add("Add Item", insert);
        if (hasText)
            add("Delete Item", remove);
    } else if (type == FieldId::Address) {
        for (const ValueLinks::MapItem &map : ValueLinks::mapItems())
            add(map.title, ifText, map.item);
        editor("Open Address Panel", EditorKind::Address, hasText);
        editor("Open Edit Panel", EditorKind::MultiValue);
        add("Add Item", insert);
        if (hasText)
            add("Delete Item", remove);
    } else if (type == FieldId::InstantMessage || type == FieldId::SocialNetwork) {
        const bool ims = type == FieldId::InstantMessage;
        editor(ims ? "Open IMS Panel" : "Open SNS Panel", ims ? EditorKind::InstantMessage : EditorKind::SocialProfile,
               hasText);
        editor("Open Edit Panel", EditorKind::MultiValue);
        add("Add Item", insert);
        if (hasText)
            add("Delete Item", remove);
    } else if (type == FieldId::Dates || type == FieldId::Birthday) {
        add("Open Calendar", ifText, OpenCalendar);
        editor(type == FieldId::Dates ? "Open Dates Panel" : "Open Birthday Panel", EditorKind::Date);
        if (hasText) {
            if (type == FieldId::Birthday)
                menu->addItem(MenuItem::separatorItem());
            add("Delete Item", remove);
        }
    } else if (kindOf(side, type) == ValueKind::Labeled) {
        editor("Open Edit Panel", EditorKind::MultiValue);
    }
}

void MergePanelController::makeValidationTable() {
    // A locked sheet changes nothing, not even through its menus.
    const auto editing = [this](MenuItem &) { return isEditing(); };
    validation_ = {
        {ActionId::Undo, [this](MenuItem &) { return edits_.undoManager()->canUndo(); }},
        {ActionId::Redo, [this](MenuItem &) { return edits_.undoManager()->canRedo(); }},
        {ActionId::AddImage, editing},
        {ActionId::DeleteImage, editing},
        {ActionId::InsertItem, editing},
        {ActionId::DeleteItem, editing},
        {ActionId::DoWorkspaceAction,
         [](MenuItem &item) { return item.representedObject() != OpenCalendar || Workspace::canOpenCalendar(); }},
    };
}

bool MergePanelController::validateMenuItem(MenuItem *item) {
    return validation_.validate(*item, item->action()).value_or(true);
}

std::optional<MergePanelController::ClickedCell> MergePanelController::clickedCell(QObject *sender) const {
    const auto *item = qobject_cast<MenuItem *>(sender);
    const Side side = item && item->tag() == Right ? Right : Left;
    MergeTableView *table = tableViews_[side];
    const MergeRow *row = table && table->clickedColumn() >= 0 ? rowAt(table, table->clickedRow()) : nullptr;
    if (!row || !contacts_[side])
        return std::nullopt;
    // Copies: the command's change rebuilds the rows.
    return ClickedCell{side, table->clickedRow(), *row, *contacts_[side]};
}

void MergePanelController::showPopoverWrapper(QObject *sender) {
    const auto clicked = clickedCell(sender);
    if (!clicked)
        return;
    const QString &type = clicked->row.type;
    const QRect rect = cellRect(tableViews_[clicked->side], clicked->number);
    const qint64 labelIndex = clicked->row.labelIndex.value_or(LabeledValueRecord::noLabelIndex);
    switch (EditorKind(qobject_cast<MenuItem *>(sender)->representedObject().toInt())) {
    case EditorKind::Date:
        return showDatePopover(clicked->contact, type, labelIndex, rect);
    case EditorKind::Address:
        return showAddressPopover(clicked->contact, type, labelIndex, rect);
    case EditorKind::InstantMessage:
        return showIMSPopover(clicked->contact, type, labelIndex, rect);
    case EditorKind::SocialProfile:
        return showSNSPopover(clicked->contact, type, labelIndex, rect);
    case EditorKind::MultiValue:
        return showMultiValuePopover(clicked->contact, type, labelIndex, rect);
    }
}

void MergePanelController::insertItem(QObject *sender) {
    const auto clicked = clickedCell(sender);
    if (!clicked)
        return;
    const QString &type = clicked->row.type;
    tableViews_[clicked->side]->selectRow(clicked->number);
    const QRect rect = cellRect(tableViews_[clicked->side], clicked->number);
    const qint64 newValue = LabeledValueRecord::noLabelIndex;
    if (type == FieldId::Address)
        return showAddressPopover(clicked->contact, type, newValue, rect);
    if (type == FieldId::SocialNetwork)
        return showSNSPopover(clicked->contact, type, newValue, rect);
    if (type == FieldId::InstantMessage)
        return showIMSPopover(clicked->contact, type, newValue, rect);
    if (const auto value = ContactInfoController::newItemValue(type))
        edits_.undoAddLabeledValue(*value, type, clicked->contact.person);
}

void MergePanelController::deleteItem(QObject *sender) {
    const auto clicked = clickedCell(sender);
    if (!clicked)
        return;
    const MergeRow &row = clicked->row;
    tableViews_[clicked->side]->selectRow(clicked->number);
    if (QMPerson::labeledIdentifiers().contains(row.type) && !row.isPlaceholder())
        edits_.undoDeleteLabeledValueForIdentifier(row.type, *row.labelIndex, clicked->contact.person);
    else if (row.type == FieldId::Birthday)
        edits_.undoReplaceBirthday(FieldValue(), clicked->contact.person);
}

void MergePanelController::doWorkspaceAction(QObject *sender) {
    const auto clicked = clickedCell(sender);
    if (!clicked)
        return;
    const MergeRow *row = &clicked->row;
    const QString text = valueText(clicked->side, *row);
    if (text.isEmpty())
        return;
    ValueLinks::openValue(row->type, text, qobject_cast<MenuItem *>(sender)->representedObject().toString());
}

// ---- Photo

QWidget *MergePanelController::makePhotoCell(Side side) {
    const auto person = personOf(side);
    auto *button = new PullDownButton;
    button->setObjectName(QStringLiteral("ImagePopupCell"));
    auto *menu = new Menu;
    const bool hasPhoto = !person->photo().isNull();
    const QImage picture = hasPhoto ? person->photo() : person->thumbnail();
    MenuItem *pictureItem = menu->addItem(QString());
    pictureItem->setIcon(QIcon(QPixmap::fromImage(picture)));
    PictureChoice::fillImageMenu(menu, hasPhoto, this);
    for (MenuItem *item : menu->itemArray())
        item->setTag(side);
    button->setPullDownMenu(menu);
    const int pictureSide = int(rowHeight_ * 2) - 4;
    button->setIconSize(QSize(pictureSide, pictureSide));
    button->setIcon(QIcon(QPixmap::fromImage(picture)));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setEnabled(isEditing());
    return button;
}

void MergePanelController::addImage(QObject *sender) {
    const auto *item = qobject_cast<MenuItem *>(sender);
    const auto person = personOf(item && item->tag() == Right ? Right : Left);
    if (!person)
        return;
    if (const auto image = PhotoScaling::chooseImage(window()))
        edits_.undoReplacePhoto(*image, person);
}

void MergePanelController::deleteImage(QObject *sender) {
    const auto *item = qobject_cast<MenuItem *>(sender);
    if (const auto person = personOf(item && item->tag() == Right ? Right : Left))
        edits_.undoReplacePhoto(FieldValue(), person);
}
