// The merge sheet's cells and editing: texts in place, labels and the name display in
// popups, and every other field in the popover editors.
#include "merge/MergePanelController.h"

#include "contact_info/FieldIcons.h"
#include "editors/AddressViewController.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PopupAndTextCellWidget.h"
#include "editors/SNSViewController.h"
#include "merge/MergeTableView.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Menu.h"

#include <QApplication>
#include <QComboBox>
#include <QTextEdit>

namespace {

QString localized(const QString &english) {
    return L(english.toUtf8().constData());
}

QString oneLine(QString text) {
    return text.replace(QLatin1Char('\n'), QLatin1Char(' '));
}

bool isNameType(const QString &type) {
    return type == FieldId::Name || type == FieldId::PhoneticName;
}

// Labeled values whose value is not one text: their editors edit them.
bool editsInEditorOnly(const QString &type) {
    return type == FieldId::Address || type == FieldId::InstantMessage || type == FieldId::Dates;
}

QString namePartText(QMPerson &person, const MergeRow &row) {
    if (row.type == FieldId::Name) {
        NameRecord name = person.nameValue();
        const QString *part = name.part(row.labelText());
        return part ? *part : QString();
    }
    PhoneticNameRecord phonetic = person.phoneticNameValue().value_or(PhoneticNameRecord());
    const QString *part = phonetic.part(row.labelText());
    return part ? *part : QString();
}

} // namespace

// ---- Cells

QString MergePanelController::typeCellText(const QTableView *table, int row) const {
    const MergeRow *merge = rowAt(table, row);
    if (!merge)
        return {};
    const QString text = QMPerson::localizedIdentifierForKey(merge->type);
    const MergeRow *above = rowAt(table, row - 1);
    return above && QMPerson::localizedIdentifierForKey(above->type) == text ? QString() : text;
}

QImage MergePanelController::typeCellImage(const QTableView *table, int row) const {
    if (typeCellText(table, row).isEmpty())
        return {};
    const QString &type = rowAt(table, row)->type;
    const auto person = personOf(sideOf(table));
    return fieldIcon(type, person ? person->customItemForIdentifier(type) : std::nullopt, customItems_);
}

std::optional<MergePanelController::TextCell> MergePanelController::textCell(const QTableView *table, int row) const {
    const MergeRow *merge = rowAt(table, row);
    return merge ? textCellFor(sideOf(table), *merge) : std::nullopt;
}

std::optional<MergePanelController::TextCell> MergePanelController::textCellFor(Side side, const MergeRow &row) const {
    const auto person = personOf(side);
    if (!person)
        return std::nullopt;
    TextCell cell;
    if (isNameType(row.type)) {
        cell.editText = namePartText(*person, row);
        cell.text = oneLine(cell.editText);
        cell.placeholder = QMPerson::localizedIdentifierForKey(
            row.type == FieldId::Name ? row.labelText() : QStringLiteral("Phonetic ") + row.labelText());
        cell.editable = true;
    } else if (row.type == FieldId::Birthday) {
        const auto birthday = person->birthdayValue();
        cell.text = birthday ? birthday->stringValue : QString();
    } else if (kindOf(side, row.type) == ValueKind::String) {
        cell.editText = person->stringValueForIdentifier(row.type);
        cell.text = row.type == FieldId::Note ? cell.editText : oneLine(cell.editText);
        cell.editable = true;
    } else {
        return std::nullopt;
    }
    return cell;
}

QWidget *MergePanelController::valueCellWidget(const QTableView *table, int row) const {
    if (!table || !rowAt(table, row))
        return nullptr;
    return table->indexWidget(table->model()->index(row, ValueColumn));
}

QString MergePanelController::valueText(Side side, const MergeRow &row) const {
    const auto person = personOf(side);
    if (!person)
        return {};
    if (row.isLabeled()) {
        const auto value = person->labeledValueForIdentifier(row.type, LabelIndex(*row.labelIndex));
        return value && *row.labelIndex >= 0 ? value->stringValue : QString();
    }
    const auto cell = textCellFor(side, row);
    return cell ? cell->text : QString();
}

void MergePanelController::makeValueCellWidgets(Side side) {
    MergeTableView *table = tableViews_[side];
    for (int row = 0; row < tables_[side].size(); ++row)
        if (QWidget *widget = makeValueCellWidget(side, row)) {
            table->setIndexWidget(table->mergeModel()->index(row, ValueColumn), widget);
            table->watchCellWidget(widget, row);
        }
}

QWidget *MergePanelController::makeValueCellWidget(Side side, int row) {
    const MergeRow &merge = tables_[side][row];
    const auto person = personOf(side);
    MergeTableView *table = tableViews_[side];
    if (merge.type == FieldId::Photo)
        return makePhotoCell(side);
    if (merge.type == FieldId::NameOrdering || merge.type == FieldId::NameDisplay) {
        auto *popup = new PopUpButton;
        popup->setObjectName(QStringLiteral("PopupCell"));
        popup->setFont(selectedFont_);
        const NameRecord name = person->nameValue();
        if (merge.type == FieldId::NameOrdering) {
            for (const QString &label : std::as_const(nameOrderingLabels_))
                popup->addItem(localized(label));
            popup->setCurrentIndex(name.nameOrdering == 1 ? 1 : name.nameOrdering == 2 ? 2 : 0);
            popup->setEnabled(false);
            // The document's type name or its short form.
            if (documentType_ == QLatin1String("vCard") || documentType_ == ContentTypes::VCard)
                popup->setToolTip(L("Changes will not be saved"));
        } else {
            for (const QString &label : QMPerson::labelsForIdentifier(FieldId::ShowAsPerson).value_or(QStringList()))
                popup->addItem(localized(label));
            popup->setCurrentIndex(name.showAsPerson.value_or(person->showAsPerson()) ? 0 : 1);
            popup->setEnabled(isEditing());
            connect(popup, &QComboBox::activated, this,
                    [this, table, row](int item) { labelPopupCellChanged(table, row, item); });
        }
        return popup;
    }
    if (kindOf(side, merge.type) != ValueKind::Labeled)
        return nullptr;
    auto *widget = new PopupAndTextCellWidget;
    widget->setObjectName(QStringLiteral("PopupAndTextCell"));
    PopupAndTextCell &cell = widget->cell();
    cell.setType(merge.type);
    cell.setEditState(isEditing());
    cell.setSelectedFont(selectedFont_);
    cell.setLabels(QMPerson::labelsForIdentifier(merge.type).value_or(QStringList()));
    cell.setLocalizedLabels(QMPerson::localizedLabelsForIdentifier(merge.type).value_or(QStringList()));
    cell.setCustomLabels(QMPerson::customLabelsForIdentifier(merge.type).value_or(QStringList()));
    cell.setPerson(person);
    if (!merge.isPlaceholder())
        if (auto value = person->labeledValueForIdentifier(merge.type, LabelIndex(*merge.labelIndex))) {
            value->stringValue = oneLine(value->stringValue);
            cell.setLabeledValue(value);
        }
    cell.setLabelIndex(*merge.labelIndex);
    cell.setRowNumLines(1);
    widget->updatePopupAndText();
    widget->textField()->setReadOnly(!isEditing() || editsInEditorOnly(merge.type));
    widget->labelPopup()->setEnabled(isEditing());
    connect(widget->labelPopup(), &QComboBox::activated, this,
            [this, table, row](int item) { labelPopupCellChanged(table, row, item); });
    return widget;
}

// ---- Editing in place

void MergePanelController::textFieldCellChanged(QTableView *table, int row, const QString &text) {
    const MergeRow *found = rowAt(table, row);
    const Side side = sideOf(table);
    const auto person = personOf(side);
    if (!found || !person || reloading_ || !isEditing())
        return;
    const MergeRow merge = *found;
    if (merge.type == FieldId::Name) {
        NameRecord name = person->nameValue();
        QString *part = name.part(merge.labelText());
        if (part && *part != text) {
            *part = text;
            edits_.undoReplaceNameValue(name, person);
        }
    } else if (merge.type == FieldId::PhoneticName) {
        PhoneticNameRecord phonetic = person->phoneticNameValue().value_or(PhoneticNameRecord());
        QString *part = phonetic.part(merge.labelText());
        if (part && *part != text) {
            *part = text;
            edits_.undoReplacePhoneticNameValue(phonetic, person);
        }
    } else if (kindOf(side, merge.type) == ValueKind::Labeled) {
        if (editsInEditorOnly(merge.type))
            return;
        // Typed into a placeholder, the text is a new value; the running number names the value
        // to replace everywhere else.
        if (merge.isPlaceholder()) {
            if (text.isEmpty())
                return;
            LabeledValueRecord added;
            added.value = text;
            added.stringValue = text;
            edits_.undoAddLabeledValue(added, merge.type, person);
            return;
        }
        auto value = person->labeledValueForIdentifier(merge.type, LabelIndex(*merge.labelIndex));
        if (!value || oneLine(value->stringValue) == text)
            return;
        value->value = text;
        value->stringValue = text;
        edits_.undoReplaceLabeledValue(*value, merge.type, person);
    } else if (kindOf(side, merge.type) == ValueKind::String) {
        edits_.undoReplaceStringValue(text, merge.type, person);
    }
}

void MergePanelController::labelPopupCellChanged(QTableView *table, int row, int selectedItem) {
    const MergeRow *found = rowAt(table, row);
    const Side side = sideOf(table);
    const auto person = personOf(side);
    if (!found || !person || selectedItem < 0 || !isEditing())
        return;
    const MergeRow merge = *found;
    if (merge.type == FieldId::NameDisplay) {
        NameRecord name = person->nameValue();
        const bool asPerson = selectedItem == 0;
        if (name.showAsPerson.value_or(person->showAsPerson()) != asPerson) {
            name.showAsPerson = asPerson;
            edits_.undoReplaceNameValue(name, person);
        }
        return;
    }
    if (!merge.isLabeled() || merge.isPlaceholder())
        return;
    // The popup lists translated titles; the value keeps the label word.
    const QString word = QMPerson::labelsForIdentifier(merge.type).value_or(QStringList()).value(selectedItem);
    auto value = person->labeledValueForIdentifier(merge.type, LabelIndex(*merge.labelIndex));
    if (!value || word.isEmpty() || value->labelText() == word)
        return;
    value->label = word;
    edits_.undoReplaceLabeledValue(*value, merge.type, person);
}

void MergePanelController::endEditing() {
    for (const Side side : {Left, Right})
        if (tableViews_[side])
            tableViews_[side]->textDelegate()->commitOpenEditor();
    // A label cell's text view commits when its focus goes.
    if (QWidget *focus = QApplication::focusWidget(); focus && qobject_cast<QTextEdit *>(focus))
        if (focus->window() == window())
            focus->clearFocus();
}

QRect MergePanelController::cellRect(QTableView *table, int row) const {
    return table ? table->visualRect(table->model()->index(row, ValueColumn)) : QRect();
}

void MergePanelController::startEditing(QTableView *table, int row) {
    const QModelIndex index = table->model()->index(row, ValueColumn);
    table->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    static_cast<MergeTableView *>(table)->setClickedCell(row, ValueColumn);
    if (table->model()->flags(index) & Qt::ItemIsEditable) {
        table->setCurrentIndex(index);
        table->edit(index);
    } else if (auto *cell = qobject_cast<PopupAndTextCellWidget *>(valueCellWidget(table, row));
               cell && !cell->textField()->isReadOnly()) {
        cell->textField()->setFocus(Qt::TabFocusReason);
        cell->textField()->selectAll();
    }
}

bool MergePanelController::controlTextViewDoCommandBySelector(QTableView *table, int row, const QString &command) {
    if ((command != QLatin1String("insertNewline:") && command != QLatin1String("insertTab:")) ||
        !rowAt(table, row))
        return false;
    static const QStringList skipped = {FieldId::Photo,          FieldId::NameOrdering, FieldId::NameDisplay,
                                        FieldId::Address,        FieldId::InstantMessage, FieldId::Dates,
                                        FieldId::Birthday};
    static const QStringList skippedWithoutLabel = {FieldId::Email, FieldId::Phone, FieldId::URL,
                                                    FieldId::SocialNetwork, FieldId::Relationship};
    // The edit just ended may have changed the rows: the search runs on the new ones.
    afterPendingReload([this, table = QPointer<QTableView>(table), row] {
        const int rows = table ? numberOfRowsInTableView(table) : 0;
        int next = row;
        // One pass at the most: a table without a row that takes text ends the search.
        for (int step = 0; step < rows; ++step) {
            next = next + 1 < rows ? next + 1 : std::min(1, rows - 1);
            const MergeRow *candidate = rowAt(table, next);
            if (!candidate || skipped.contains(candidate->type) ||
                (skippedWithoutLabel.contains(candidate->type) && candidate->labelText().isEmpty()))
                continue;
            startEditing(table, next);
            return;
        }
    });
    return true;
}

void MergePanelController::tableViewDoubleAction(QTableView *table) {
    auto *merge = qobject_cast<MergeTableView *>(table);
    const MergeRow *found = merge ? rowAt(table, merge->clickedRow()) : nullptr;
    const Side side = sideOf(table);
    if (!found || merge->clickedColumn() < 0 || !contacts_[side])
        return;
    const MergeRow row = *found;
    const int rowNumber = merge->clickedRow();
    const bool valueColumn = merge->clickedColumn() == ValueColumn;
    const QString &type = row.type;
    const QString kind = kindOf(side, type);
    const qint64 labelIndex = row.labelIndex.value_or(LabeledValueRecord::noLabelIndex);
    const QRect rect = cellRect(table, rowNumber);
    const ContactEntry contact = *contacts_[side];
    const QString text = valueText(side, row);
    const bool dates = type == FieldId::Dates || type == FieldId::Birthday;

    if (currentModifierFlags() & CommandKeyModifier) {
        if (dates)
            return showDatePopover(contact, type, labelIndex, rect);
        if (kind == ValueKind::Labeled)
            return showMultiValuePopover(contact, type, labelIndex, rect);
    }
    if (!valueColumn)
        return;
    if (!isEditing()) {
        if (text.isEmpty())
            return;
        if (type == FieldId::Address)
            showAddressPopover(contact, type, labelIndex, rect);
        else if (type == FieldId::InstantMessage)
            showIMSPopover(contact, type, labelIndex, rect);
        else if (type == FieldId::SocialNetwork)
            showSNSPopover(contact, type, labelIndex, rect);
        else if (dates)
            showDatePopover(contact, type, labelIndex, rect);
        return;
    }
    if (type == FieldId::Address || type == FieldId::InstantMessage || type == FieldId::SocialNetwork) {
        if (text.isEmpty())
            showMultiValuePopover(contact, type, labelIndex, rect);
        else if (type == FieldId::Address)
            showAddressPopover(contact, type, labelIndex, rect);
        else if (type == FieldId::InstantMessage)
            showIMSPopover(contact, type, labelIndex, rect);
        else
            showSNSPopover(contact, type, labelIndex, rect);
    } else if (dates) {
        showDatePopover(contact, type, labelIndex, rect);
    } else if (isNameType(type) || kind == ValueKind::String) {
        startEditing(table, rowNumber);
    } else if (kind == ValueKind::Labeled) {
        if (text.isEmpty())
            showMultiValuePopover(contact, type, labelIndex, rect);
        else
            startEditing(table, rowNumber);
    }
}

// ---- Editor popovers

void MergePanelController::openEditor(EditorKind kind, const ContactEntry &contact, const QString &type,
                                      std::optional<qint64> labelIndex, std::optional<bool> editEnabled,
                                      const QRect &rect) {
    PopoverEditor *editor = nullptr;
    QSize size;
    switch (kind) {
    case EditorKind::MultiValue: {
        auto *list = new MultiValueViewController;
        list->setSelectedFont(selectedFont_);
        editor = list;
        size = MultiValueViewController::contentSizeFor(type, false);
        break;
    }
    case EditorKind::Address:
        editor = new AddressViewController;
        size = AddressViewController::contentSize;
        break;
    case EditorKind::InstantMessage:
        editor = new IMSViewController;
        size = IMSViewController::contentSize;
        break;
    case EditorKind::SocialProfile:
        editor = new SNSViewController;
        size = SNSViewController::contentSize;
        break;
    case EditorKind::Date:
        if (type == FieldId::Dates) {
            editor = new DatesViewController;
            size = DatesViewController::contentSize;
        } else if (type == FieldId::Birthday) {
            editor = new DateViewController;
            size = DateViewController::contentSize;
        }
        break;
    }
    if (!editor)
        return;
    if (popover_)
        popover_->close();
    auto context = std::make_shared<EditorContext>();
    context->contact = EditorContact::of(contact);
    context->type = type;
    context->labelIndex = labelIndex;
    // A locked sheet's editors show the value and change nothing: their Edit stays off.
    context->editEnabled = isEditing() ? editEnabled : std::optional<bool>(false);
    const Side side = contacts_[Right] && contact.person == contacts_[Right]->person ? Right : Left;
    popover_ = editor->openInPopover(context, isEditing(), size, rect, tableViews_[side]->viewport(), this, this);
}

void MergePanelController::showMultiValuePopover(const ContactEntry &contact, const QString &type, qint64,
                                                 const QRect &rect) {
    openEditor(EditorKind::MultiValue, contact, type, std::nullopt, true, rect);
}

void MergePanelController::showAddressPopover(const ContactEntry &contact, const QString &type, qint64 labelIndex,
                                              const QRect &rect) {
    openEditor(EditorKind::Address, contact, type, labelIndex, std::nullopt, rect);
}

void MergePanelController::showIMSPopover(const ContactEntry &contact, const QString &type, qint64 labelIndex,
                                          const QRect &rect) {
    openEditor(EditorKind::InstantMessage, contact, type, labelIndex, std::nullopt, rect);
}

void MergePanelController::showSNSPopover(const ContactEntry &contact, const QString &type, qint64 labelIndex,
                                          const QRect &rect) {
    openEditor(EditorKind::SocialProfile, contact, type, labelIndex, std::nullopt, rect);
}

void MergePanelController::showDatePopover(const ContactEntry &contact, const QString &type, qint64 labelIndex,
                                           const QRect &rect) {
    const std::optional<qint64> index = type == FieldId::Dates ? std::optional<qint64>(labelIndex) : std::nullopt;
    openEditor(EditorKind::Date, contact, type, index, true, rect);
}

void MergePanelController::popoverDidClose(Popover *closed) {
    // The answer goes to the contact the editor was opened for.
    if (const SharedEditorContext answer = PopoverEditor::answerOf(closed)) {
        UndoManager *undo = edits_.undoManager();
        undo->beginUndoGrouping();
        applyEditorAnswer(*answer, edits_, answer->contact.person, this);
        undo->endUndoGrouping();
    }
    if (closed == popover_)
        popover_ = nullptr;
    closed->deleteLater();
}
