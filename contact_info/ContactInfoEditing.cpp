// Editing in the detail table: what a double click does, in-place edits and popup choices
// becoming undoable changes, Return and Tab moving on, and the editor popovers the rows open.
#include "contact_info/ContactInfoController.h"

#include "editors/AddressViewController.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/PopupAndTextCellWidget.h"
#include "editors/SNSViewController.h"
#include "model/QMPerson.h"
#include "platform/core/Dispatch.h"
#include "platform/ui/Application.h"

#include <QMouseEvent>

namespace {

bool isDate(const QString &type) {
    return type == FieldId::Dates || type == FieldId::Birthday;
}

DetailDoubleAction oneValueEditor(const QString &type) {
    if (type == FieldId::Address)
        return DetailDoubleAction::AddressEditor;
    if (type == FieldId::InstantMessage)
        return DetailDoubleAction::IMSEditor;
    if (type == FieldId::SocialNetwork)
        return DetailDoubleAction::SNSEditor;
    return DetailDoubleAction::Nothing;
}

// Rows Return and Tab pass over, and rows they enter only when the row has a label.
const QStringList &rowsNeverEntered() {
    static const QStringList rows = {FieldId::Photo,   FieldId::NameOrdering,   FieldId::NameDisplay,
                                     FieldId::Groups,  FieldId::Address,        FieldId::InstantMessage,
                                     FieldId::Dates,   FieldId::Birthday};
    return rows;
}
const QStringList &rowsNeedingALabel() {
    static const QStringList rows = {FieldId::Email, FieldId::Phone, FieldId::URL, FieldId::SocialNetwork,
                                     FieldId::Relationship};
    return rows;
}

} // namespace

DetailDoubleAction detailDoubleAction(const DetailCellClick &click) {
    using Action = DetailDoubleAction;
    const QString &type = click.type;
    const bool labeled = click.kind == ValueKind::Labeled;
    if (click.command) {
        if (isDate(type))
            return Action::DateEditor;
        if (labeled)
            return Action::ListEditor;
    }
    if (!click.editState) {
        if (!click.valueColumn || click.textEmpty)
            return Action::Nothing;
        return isDate(type) ? Action::DateEditor : oneValueEditor(type);
    }
    if (!click.valueColumn) {
        if (isDate(type))
            return Action::DateEditor;
        return labeled ? Action::ListEditor : Action::Nothing;
    }
    if (type == FieldId::Photo || type == FieldId::NameOrdering || type == FieldId::NameDisplay)
        return Action::Nothing;
    if (oneValueEditor(type) != Action::Nothing)
        return click.textEmpty ? Action::ListEditor : oneValueEditor(type);
    if (isDate(type))
        return Action::DateEditor;
    if (type == FieldId::Name || type == FieldId::PhoneticName)
        return Action::InPlaceEdit;
    if (labeled)
        return click.textEmpty ? Action::ListEditor : Action::InPlaceEdit;
    // A row of no kind the panel can store ("Groups", an undefined custom item) is not
    // entered: a typed text would silently go nowhere.
    return click.kind == ValueKind::String ? Action::InPlaceEdit : Action::Nothing;
}

std::shared_ptr<QMPerson> ContactInfoController::person() const {
    return contact_ ? contact_->person : nullptr;
}

void ContactInfoController::setClickedCell(int row, int column) {
    clickedRow_ = row >= 0 && row < table_.size() ? row : -1;
    clickedColumn_ = column >= 0 && column < model_->columnCount() ? column : -1;
}

QRect ContactInfoController::frameOfCellAtColumn(int column, int row) {
    if (!tableView_ || row < 0 || row >= table_.size())
        return {};
    return tableView_->visualRect(model_->index(row, column));
}

QString ContactInfoController::shownText(int row) {
    if (const auto content = textCellContent(row))
        return content->text;
    const InfoTableRow &info = table_.at(row);
    const auto shown = person();
    if (!shown || !info.index || kindOfRow(info) != ValueKind::Labeled)
        return {};
    const auto value = shown->labeledValueForIdentifier(info.type, *info.index);
    return value ? value->stringValue : QString();
}

void ContactInfoController::tableViewDoubleAction(Qt::KeyboardModifiers modifiers) {
    const int row = clickedRow_, column = clickedColumn_;
    if (row < 0 || column < 0 || row >= table_.size() || !delegate_ || !contact_)
        return;
    const InfoTableRow info = table_.at(row);
    const qint64 labelIndex = info.labelIndex.value_or(0);
    const QRect rect = frameOfCellAtColumn(column, row);
    const ContactEntry shown = *contact_;
    const DetailCellClick click{info.type,
                                kindOfRow(info),
                                column == ContactInfoTableModel::ValueColumn,
                                shownText(row).isEmpty(),
                                editState(),
                                bool(modifiers & CommandKeyModifier)};
    switch (detailDoubleAction(click)) {
    case DetailDoubleAction::Nothing:
        return;
    case DetailDoubleAction::InPlaceEdit:
        return editColumn(ContactInfoTableModel::ValueColumn, row);
    case DetailDoubleAction::ListEditor:
        return showMultiValuePopover(shown, info.type, labelIndex, rect);
    case DetailDoubleAction::AddressEditor:
        return showAddressPopover(shown, info.type, labelIndex, rect);
    case DetailDoubleAction::IMSEditor:
        return showIMSPopover(shown, info.type, labelIndex, rect);
    case DetailDoubleAction::SNSEditor:
        return showSNSPopover(shown, info.type, labelIndex, rect);
    case DetailDoubleAction::DateEditor:
        return showDatePopover(shown, info.type, labelIndex, rect);
    }
}

// ---- In-place edits

void ContactInfoController::editColumn(int column, int row) {
    view();
    if (column != ContactInfoTableModel::ValueColumn || row < 0 || row >= table_.size() ||
        !takesTypedText(table_.at(row)))
        return;
    // Another cell's edit ends first; its text is applied, and the rows are made again.
    if (cellEdit_)
        endCellEdit(true, true);
    if (row >= table_.size())
        return;
    cellEdit_ = CellEdit{nullptr, table_.at(row), person()};
    tableView_->scrollTo(model_->index(row, column));
    CellTextEditor *editor = makeCellEditor(row);
    cellEdit_->editor = editor;
    editor->show();
    editor->selectAll();
    editor->setFocus(Qt::OtherFocusReason);
}

void ContactInfoController::editForIdentifier(const QString &identifier) {
    for (int row = 0; row < table_.size(); ++row) {
        if (table_.at(row).type == identifier) {
            selectRows({row});
            editColumn(ContactInfoTableModel::ValueColumn, row);
            return;
        }
    }
}

CellTextEditor *ContactInfoController::makeCellEditor(int row) {
    auto *editor = new CellTextEditor(tableView_->viewport());
    editor->setFont(selectedFont_);
    editor->setPlainText(shownText(row));
    editor->setTakesLineBreaks(table_.at(row).type == FieldId::Note);
    editor->setCommandHandler(
        [this](CellTextEditor::Command command) { return controlTextViewDoCommandBySelector(command); });
    connect(editor, &CellTextEditor::editingDidEnd, this, [this, editor](bool keepText) {
        // Ended by losing the focus, or Escape: the text goes to the contact once the event
        // that ended the edit is over.
        if (cellEdit_ && cellEdit_->editor == editor)
            endCellEdit(keepText, false);
    });
    QRect rect = tableView_->visualRect(model_->index(row, ContactInfoTableModel::ValueColumn));
    // A labeled value keeps its label popup beside the editor.
    if (const auto *cell = qobject_cast<PopupAndTextCellWidget *>(valueCellWidget(row)))
        rect.setLeft(rect.left() + cell->textField()->geometry().left());
    editor->setGeometry(rect);
    return editor;
}

void ContactInfoController::endCellEdit(bool keepText, bool applyNow) {
    if (!cellEdit_)
        return;
    const CellEdit edit = std::move(*cellEdit_);
    cellEdit_.reset();
    if (!edit.editor)
        return;
    const QString text = edit.editor->toPlainText();
    edit.editor->end();
    // Ended from the keyboard, the table keeps the focus; otherwise it went where it was taken.
    const bool focused = edit.editor->hasFocus();
    if (focused && tableView_)
        tableView_->setFocus(Qt::OtherFocusReason);
    edit.editor->hide();
    // Later: the editor may be inside its own key event.
    edit.editor->deleteLater();
    if (!keepText)
        return;
    if (applyNow)
        return applyText(edit.row, edit.person, text);
    // Applying rebuilds the rows the ending event may still be working on.
    Dispatch::main([this, edit, text] { applyText(edit.row, edit.person, text); }, this);
}

void ContactInfoController::textFieldCellChanged(int row, const QString &text) {
    if (row >= 0 && row < table_.size())
        applyText(table_.at(row), person(), text);
}

void ContactInfoController::applyText(const InfoTableRow &info, const std::shared_ptr<QMPerson> &person,
                                      const QString &text) {
    if (!person || !delegate_)
        return;
    const QString part = info.label.value_or(QString());
    bool changed = false;
    if (info.type == FieldId::Name) {
        // Every finished edit of a name part is a step, even to the same text.
        NameRecord name = person->nameValue();
        if (QString *stored = name.part(part)) {
            *stored = text;
            changed = delegate_->undoReplaceNameValue(name, person);
        }
    } else if (info.type == FieldId::PhoneticName) {
        PhoneticNameRecord phonetic = person->phoneticNameValue().value_or(PhoneticNameRecord());
        if (QString *stored = phonetic.part(part)) {
            *stored = text;
            changed = delegate_->undoReplacePhoneticNameValue(phonetic, person);
        }
    } else {
        const QString kind = person->typeForIdentifier(info.type, customItems());
        if (kind == ValueKind::Labeled) {
            // The value of the row's own running number, as the replace finds it again.
            auto value = info.labelIndex ? person->labeledValueForIdentifier(info.type, LabelIndex(*info.labelIndex))
                                         : std::nullopt;
            if (value && value->value != text) {
                value->value = text;
                changed = delegate_->undoReplaceLabeledValue(*value, info.type, person, this);
            }
        } else if (kind == ValueKind::String && person->stringValueForIdentifier(info.type) != text) {
            changed = delegate_->undoReplaceStringValue(text, info.type, person, this);
        }
    }
    if (changed)
        sendContactDidUpdate();
}

void ContactInfoController::popupButtonCellChanged(int row, int index) {
    const auto shown = person();
    if (row < 0 || row >= table_.size() || index < 0 || !shown || !delegate_ || !editState())
        return;
    if (!popoverCells_)
        selectRows({row});
    const InfoTableRow info = table_.at(row);
    bool changed = false;
    if (info.type == FieldId::NameDisplay) {
        const QString word = QMPerson::labelsForIdentifier(FieldId::ShowAsPerson).value_or(QStringList()).value(index);
        if (!word.isEmpty()) {
            NameRecord name = shown->nameValue();
            name.showAsPerson = word == QLatin1String("Person");
            changed = delegate_->undoReplaceNameValue(name, shown);
        }
    } else {
        // The label word, not the title the popup shows in the user's language.
        const QString word = QMPerson::labelsForIdentifier(info.type).value_or(QStringList()).value(index);
        auto value = info.labelIndex ? shown->labeledValueForIdentifier(info.type, LabelIndex(*info.labelIndex))
                                     : std::nullopt;
        if (value && !word.isEmpty() && value->labelText() != word) {
            value->label = word;
            changed = delegate_->undoReplaceLabeledValue(*value, info.type, shown, this);
        }
    }
    if (changed)
        sendContactDidUpdate();
    else
        // The popup goes back to what the contact holds.
        Dispatch::main([this] { updateTable(); }, this);
}

// ---- Return and Tab

bool ContactInfoController::takesTypedText(const InfoTableRow &info) const {
    if (info.type == FieldId::Name || info.type == FieldId::PhoneticName)
        return true;
    const QString kind = kindOfRow(info);
    if (kind == ValueKind::String)
        return true;
    // A labeled row takes text into the value it shows; the empty row of a field without
    // one (a custom item's too) has none to take it, and typing there went nowhere.
    const auto shown = person();
    return kind == ValueKind::Labeled && shown && info.index &&
           shown->labeledValueForIdentifier(info.type, *info.index).has_value();
}

int ContactInfoController::nextEditableRow(int row) const {
    const int count = int(table_.size());
    int next = row;
    // One full pass at most: the edited row itself comes last.
    for (int steps = 0; steps < count; ++steps) {
        next = next < 0 || next + 1 >= count ? 0 : next + 1;
        const InfoTableRow &info = table_.at(next);
        if (rowsNeverEntered().contains(info.type))
            continue;
        if (rowsNeedingALabel().contains(info.type) && info.label.value_or(QString()).isEmpty())
            continue;
        if (!takesTypedText(info))
            continue;
        return next;
    }
    return -1;
}

bool ContactInfoController::controlTextViewDoCommandBySelector(CellTextEditor::Command command) {
    if (command != CellTextEditor::Command::InsertNewline && command != CellTextEditor::Command::InsertTab)
        return false;
    if (!cellEdit_)
        return false;
    int row = -1;
    for (int r = 0; r < table_.size() && row < 0; ++r)
        if (table_.at(r) == cellEdit_->row)
            row = r;
    const int next = nextEditableRow(row);
    if (next < 0)
        return false;
    const std::shared_ptr<QMPerson> edited = cellEdit_->person;
    endCellEdit(true, true);
    // The edit went on to the window, which may show another contact here by now: the next
    // edit is never opened in it, where typing would change a contact nobody aimed at.
    if (person() != edited || next >= table_.size())
        return true;
    selectRows({next});
    editColumn(ContactInfoTableModel::ValueColumn, next);
    return true;
}

// ---- Editor popovers

SharedEditorContext ContactInfoController::editorContext(const ContactEntry &contact, const QString &type) const {
    auto context = std::make_shared<EditorContext>();
    context->contact = EditorContact::of(contact);
    context->type = type;
    return context;
}

void ContactInfoController::openEditor(PopoverEditor *editor, SharedEditorContext context, QSize contentSize,
                                       const QRect &rect) {
    view();
    endCellEdit(true, true);
    // A locked table's editors show the value and change nothing: their Edit stays off.
    if (!editState())
        context->editEnabled = false;
    // One editor popover at a time: a new one takes the place of the one still shown.
    if (popover_)
        popover_->close();
    popover_ = editor->openInPopover(std::move(context), editState(), contentSize, rect, tableView_->viewport(),
                                     this, this);
}

void ContactInfoController::showMultiValuePopover(const ContactEntry &contact, const QString &type, qint64 index,
                                                  const QRect &rect) {
    auto *editor = new MultiValueViewController;
    editor->setSelectedFont(selectedFont_);
    SharedEditorContext context = editorContext(contact, type);
    context->labelIndex = index;
    context->editEnabled = true;
    openEditor(editor, context, MultiValueViewController::contentSizeFor(type, false), rect);
}

void ContactInfoController::openOneValueEditor(PopoverEditor *editor, QSize contentSize, const ContactEntry &contact,
                                               const QString &type, qint64 index, const QRect &rect) {
    SharedEditorContext context = editorContext(contact, type);
    context->labelIndex = index;
    openEditor(editor, context, contentSize, rect);
}

void ContactInfoController::showAddressPopover(const ContactEntry &contact, const QString &type, qint64 index,
                                               const QRect &rect) {
    openOneValueEditor(new AddressViewController, AddressViewController::contentSize, contact, type, index, rect);
}

void ContactInfoController::showIMSPopover(const ContactEntry &contact, const QString &type, qint64 index,
                                           const QRect &rect) {
    openOneValueEditor(new IMSViewController, IMSViewController::contentSize, contact, type, index, rect);
}

void ContactInfoController::showSNSPopover(const ContactEntry &contact, const QString &type, qint64 index,
                                           const QRect &rect) {
    openOneValueEditor(new SNSViewController, SNSViewController::contentSize, contact, type, index, rect);
}

void ContactInfoController::showDatePopover(const ContactEntry &contact, const QString &type, qint64 index,
                                            const QRect &rect) {
    SharedEditorContext context = editorContext(contact, type);
    context->editEnabled = true;
    if (type == FieldId::Dates) {
        context->labelIndex = index;
        openEditor(new DatesViewController, context, DatesViewController::contentSize, rect);
    } else if (type == FieldId::Birthday) {
        openEditor(new DateViewController, context, DateViewController::contentSize, rect);
    }
}

void ContactInfoController::popoverDidClose(Popover *closed) {
    if (closed == popover_)
        popover_ = nullptr;
    const SharedEditorContext answer = PopoverEditor::answerOf(closed);
    closed->deleteLater();
    // The contact the editor was opened on, whatever the panel shows by now.
    if (answer && delegate_ && applyEditorAnswer(*answer, *delegate_, answer->contact.person, this))
        sendContactDidUpdate();
}

// ---- Clicks on the table

bool ContactInfoController::watchCellEvent(QObject *watched, QEvent *event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::ContextMenu)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !tableView_ || (widget != tableView_->viewport() && !tableView_->viewport()->isAncestorOf(widget)))
        return false;
    const QPoint global = type == QEvent::ContextMenu ? static_cast<QContextMenuEvent *>(event)->globalPos()
                                                      : static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
    const QModelIndex index = tableView_->indexAt(tableView_->viewport()->mapFromGlobal(global));
    setClickedCell(index.isValid() ? index.row() : -1, index.isValid() ? index.column() : -1);
    if (type == QEvent::ContextMenu) {
        // A row without commands shows no menu at all, not an empty one.
        tableMenu_->update();
        if (tableMenu_->numberOfItems() > 0)
            tableMenu_->popUpContextMenu(global, tableView_);
        return true;
    }
    // A press on a cell's own widget (a label popup, a value's text) selects its row, as one
    // on the table does.
    if (type == QEvent::MouseButtonPress && widget != tableView_->viewport() && index.isValid() &&
        !(static_cast<QMouseEvent *>(event)->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) &&
        selectedRows() != QList<int>{index.row()})
        selectRows({index.row()});
    if (type == QEvent::MouseButtonDblClick && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        tableViewDoubleAction(static_cast<QMouseEvent *>(event)->modifiers());
        return true;
    }
    return false;
}
