// The popovers of the contacts table: the field editors it opens on a cell, whose answers
// go to the rows the edit was started for in one undo step, and the contact popover with
// the windows it is torn off into.
#include "contacts_table/ContactsViewController.h"

#include "editors/AddressViewController.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/MultiValueViewController.h"
#include "editors/NameViewController.h"
#include "editors/PhoneticNameViewController.h"
#include "editors/SNSViewController.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Window.h"

#include <QSet>
#include <QTableView>

namespace {

SharedEditorContext contextFor(const SubContactRowPtr &contact, const QString &type) {
    auto context = std::make_shared<EditorContext>();
    context->contact = EditorContact::of(*contact);
    context->type = type;
    return context;
}

} // namespace

// ---- Field editors

void ContactsViewController::openEditor(PopoverEditor *editor, const SubContactRowPtr &contact,
                                        SharedEditorContext context, QSize contentSize, const QRect &rect) {
    view();
    // The rows are taken before a popover still shown closes: its answer would clear them.
    EditRows rows = takeEditRows(contact);
    if (popover_)
        popover_->close();
    popoverRow_ = contact;
    popoverRows_ = std::move(rows);
    popover_ = editor->openInPopover(std::move(context), editState(), contentSize, rect, viewport_, this, this);
}

void ContactsViewController::showMultiValuePopover(const SubContactRowPtr &contact, const QString &type,
                                                   qint64 index, const QRect &rect) {
    auto *editor = new MultiValueViewController;
    editor->setSelectedFont(selectedFont());
    SharedEditorContext context = contextFor(contact, type);
    context->labelIndex = index;
    context->editEnabled = true;
    openEditor(editor, contact, context, MultiValueViewController::contentSizeFor(type, true), rect);
}

void ContactsViewController::openOneValueEditor(PopoverEditor *editor, QSize contentSize,
                                                const SubContactRowPtr &contact, const QString &type, qint64 index,
                                                const QRect &rect) {
    SharedEditorContext context = contextFor(contact, type);
    context->labelIndex = index;
    openEditor(editor, contact, context, contentSize, rect);
}

void ContactsViewController::showAddressPopover(const SubContactRowPtr &contact, const QString &type, qint64 index,
                                                const QRect &rect) {
    openOneValueEditor(new AddressViewController, AddressViewController::contentSize, contact, type, index, rect);
}

void ContactsViewController::showSNSPopover(const SubContactRowPtr &contact, const QString &type, qint64 index,
                                            const QRect &rect) {
    openOneValueEditor(new SNSViewController, SNSViewController::contentSize, contact, type, index, rect);
}

void ContactsViewController::showIMSPopover(const SubContactRowPtr &contact, const QString &type, qint64 index,
                                            const QRect &rect) {
    openOneValueEditor(new IMSViewController, IMSViewController::contentSize, contact, type, index, rect);
}

void ContactsViewController::showDatePopover(const SubContactRowPtr &contact, const QString &type, qint64 index,
                                             const QRect &rect) {
    SharedEditorContext context = contextFor(contact, type);
    context->editEnabled = true;
    if (type == FieldId::Dates) {
        context->labelIndex = index;
        openEditor(new DatesViewController, contact, context, DatesViewController::contentSize, rect);
    } else if (type == FieldId::Birthday) {
        openEditor(new DateViewController, contact, context, DateViewController::contentSize, rect);
    }
}

void ContactsViewController::showPhoneticNamePopover(const SubContactRowPtr &contact, const QString &type,
                                                     const QRect &rect) {
    SharedEditorContext context = contextFor(contact, type);
    context->editEnabled = true;
    openEditor(new PhoneticNameViewController, contact, context, PhoneticNameViewController::contentSize, rect);
}

void ContactsViewController::showNamePopover(const SubContactRowPtr &contact, const QString &type,
                                             const QRect &rect) {
    auto *editor = new NameViewController;
    editor->setDelegate(delegate_ ? delegate_->nameViewControllerDelegate() : nullptr);
    SharedEditorContext context = contextFor(contact, type);
    context->editEnabled = true;
    openEditor(editor, contact, context, NameViewController::contentSize, rect);
}

void ContactsViewController::popoverDidClose(Popover *popover) {
    if (popover == popover_) {
        const SubContactRowPtr opener = std::move(popoverRow_);
        const EditRows rows = std::move(popoverRows_);
        popoverRow_.reset();
        popoverRows_.clear();
        popover_ = nullptr;
        // The name editor applied its changes as they were made; the contact popover's
        // edits went through its own delegate.
        if (const SharedEditorContext answer = PopoverEditor::answerOf(popover);
            answer && !qobject_cast<NameViewController *>(popover->contentViewController()))
            applyEditorAnswer(*answer, opener, rows);
    }
    popover->deleteLater();
}

// Each contact once: the opener's row for its own contact (the value it edited), the first
// of its rows for each other contact. A single value replaces the value that row shows, or
// is added where the row shows none; lists, dates, names and birthdays replace the field.
// The opener's list was all in its editor; another contact's values that the label filter
// hides were not, and stay after the list.
void ContactsViewController::applyEditorAnswer(const EditorContext &answer, const SubContactRowPtr &opener,
                                               const EditRows &rows) {
    if (!answer.isDirty() || answer.value.isNull() || !delegate_ || !opener)
        return;
    EditRows targets;
    QSet<const QMPerson *> seen;
    for (const SubContactRowPtr &row : rows) {
        const SubContactRowPtr &target = row->person == opener->person ? opener : row;
        if (!seen.contains(target->person.get())) {
            seen.insert(target->person.get());
            targets.append(target);
        }
    }
    const bool changed = editRows([&] {
        bool any = false;
        for (const SubContactRowPtr &target : std::as_const(targets)) {
            EditorContext one = answer;
            const auto *record = answer.value.get<LabeledValueRecord>();
            if (record && record->labelIndex != LabeledValueRecord::noLabelIndex) {
                const auto shown = valueAtRow(*target, answer.type);
                LabeledValueRecord rekeyed = *record;
                rekeyed.labelIndex = shown ? shown->labelIndex : LabeledValueRecord::noLabelIndex;
                one.value = rekeyed;
            }
            const auto *list = answer.value.get<LabeledValueList>();
            if (list && target != opener) {
                LabeledValueList kept = *list;
                for (const LabeledValueRecord &value :
                     target->person->labeledValueForIdentifier(answer.type).value_or(LabeledValueList()))
                    if (!settings_->labelPasses(value.label))
                        kept.append(value);
                one.value = kept;
            }
            any = ::applyEditorAnswer(one, *delegate_, target->person, this) || any;
        }
        return any;
    });
    editRows_.reset();
    if (changed)
        setDocumentEdited();
}

// ---- The contact popover and its windows

ContactEntry ContactsViewController::contactEntryOf(const SubContactRow &row) const {
    ContactEntry entry;
    entry.person = row.person;
    entry.uniqueId = row.uniqueId;
    // A row made again after an edit, or its Undo, has not been selected yet and carries no
    // group names; the window knows them.
    if (delegate_)
        entry.groupNames = delegate_->groupNamesOfContact(row.uniqueId);
    if (entry.groupNames.isEmpty())
        entry.groupNames = row.groupNames;
    return entry;
}

ContactInfoPopover *ContactsViewController::shownContactInfoPopover() const {
    return popover_ ? qobject_cast<ContactInfoPopover *>(popover_->contentViewController()) : nullptr;
}

void ContactsViewController::showContactInfoPopover(const SubContactRowPtr &contact, const QString &,
                                                    const QRect &rect) {
    view();
    editRows_.reset();
    const QString uniqueId = contact->person->uniqueId();
    for (qsizetype i = 0; i < detachedWindows_.size(); ++i) {
        if (detachedWindows_[i].uniqueId != uniqueId)
            continue;
        // The contact's window comes forward instead; an entry whose window is gone goes.
        if (DetachedWindowController *controller = detachedWindows_[i].windowController)
            controller->window()->makeKeyAndOrderFront();
        else
            removeDetachedWindowEntry(i);
        return;
    }
    if (popover_)
        popover_->close();
    auto *popover = new Popover(this);
    popover->setBehavior(PopoverBehavior::Semitransient);
    popover->setAnimates(false);
    popover->setDelegate(this);
    popover_ = popover;
    auto *content = new ContactInfoPopover;
    content->setParentPopover(popover);
    popover->setContentViewController(content);
    popover->setContentSize(ContactInfoPopover::contentSize);
    content->setCustomItems(customItems());
    const ContactEntry entry = contactEntryOf(*contact);
    content->setContact(&entry);
    detachedWindows_.append({uniqueId, nullptr});
    content->setSelectedFont(selectedFont());
    content->setMyUndoManager(undoManager());
    content->setParentWindow(window());
    content->setDocumentWindow(window());
    content->setDelegate(delegate_ ? delegate_->contactInfoPopoverDelegate() : nullptr);
    content->setEditState(editState());
    popover->showRelativeToRect(rect, viewport_, RectEdge::MaxX);
    content->setSelectedFont(selectedFont());
}

void ContactsViewController::showContactInfoPopoverWithOption(const QString &option) {
    const int row = selectedRow();
    if (!isRow(row))
        return;
    showContactInfoPopover(subContactTable()[size_t(row)], FieldId::Name, frameOfCellAtColumn(0, row));
    if (ContactInfoPopover *content = shownContactInfoPopover(); content && !option.isEmpty())
        content->editForIdentifier(FieldId::Name);
}

bool ContactsViewController::popoverShouldDetach(Popover *popover) {
    return qobject_cast<ContactInfoPopover *>(popover->contentViewController()) != nullptr;
}

Window *ContactsViewController::detachableWindowForPopover(Popover *popover) {
    const auto *torn = qobject_cast<ContactInfoPopover *>(popover->contentViewController());
    if (!torn || !torn->contact())
        return nullptr;
    // The window shows the popover's own contact, whatever row the table has selected now.
    const ContactEntry entry = *torn->contact();
    auto *controller = new DetachedWindowController(this);
    ContactInfoPopover *content = controller->contactInfoPopover();
    Window *window = controller->window();
    content->setSelectedFont(selectedFont());
    content->setEditState(torn->editState());
    content->setDelegate(torn->delegate());
    content->setMyUndoManager(undoManager());
    content->setCustomItems(customItems());
    content->setContact(&entry);
    const QString name = entry.person ? entry.person->compositeName() : QString();
    window->setTitleShowingEditedMark(name.isEmpty() ? L("No name") : name);
    content->setParentWindow(window);
    content->setDocumentWindow(this->window());
    detachedWindows_.append({content->uniqueId(), controller});
    // The window's edited mark is the document's: Undo, Redo and Save anywhere clear it.
    if (Window *document = this->window()) {
        window->setDocumentEdited(document->isDocumentEdited());
        document->installEventFilter(this);
    }
    return window;
}

void ContactsViewController::removeDetachedWindowEntry(qsizetype index) {
    const DetachedWindowEntry entry = detachedWindows_.takeAt(index);
    if (entry.windowController)
        entry.windowController->deleteLater();
}

void ContactsViewController::detachedWindowDidClose(const DetachedWindowInfo &info) {
    if (info.window) {
        for (qsizetype i = 0; i < detachedWindows_.size(); ++i) {
            DetachedWindowController *controller = detachedWindows_[i].windowController;
            if (controller && controller->isWindowLoaded() && controller->window() == *info.window)
                return removeDetachedWindowEntry(i);
        }
        return;
    }
    for (qsizetype i = 0; i < detachedWindows_.size(); ++i) {
        if (detachedWindows_[i].uniqueId != info.uniqueId)
            continue;
        // Every entry equal to it goes: a popover entry takes the contact's other popover
        // entries with it.
        const DetachedWindowEntry found = detachedWindows_[i];
        for (qsizetype j = detachedWindows_.size() - 1; j >= i; --j)
            if (detachedWindows_[j].uniqueId == found.uniqueId &&
                detachedWindows_[j].windowController == found.windowController)
                removeDetachedWindowEntry(j);
        return;
    }
}

void ContactsViewController::updatePopoverIfSender(QObject *sender) {
    if (ContactInfoPopover *shown = shownContactInfoPopover(); shown && shown == sender)
        shown->updateTable();
}

void ContactsViewController::showDocumentEditedInDetachedWindows() {
    const Window *document = window();
    for (const DetachedWindowEntry &entry : std::as_const(detachedWindows_))
        if (entry.windowController && entry.windowController->isWindowLoaded() && document)
            entry.windowController->window()->setDocumentEdited(document->isDocumentEdited());
}

void ContactsViewController::updateDetachedWindows(const QString &uniqueId) {
    for (const DetachedWindowEntry &entry : std::as_const(detachedWindows_))
        if (entry.windowController && entry.uniqueId == uniqueId)
            entry.windowController->contactInfoPopover()->updateTable();
}

void ContactsViewController::closeContactWindows(const QSet<QString> &uniqueIds) {
    if (ContactInfoPopover *shown = shownContactInfoPopover(); shown && uniqueIds.contains(shown->uniqueId()))
        popover_->close();
    // Closing a window takes its entry out.
    const QList<DetachedWindowEntry> entries = detachedWindows_;
    for (const DetachedWindowEntry &entry : entries)
        if (entry.windowController && uniqueIds.contains(entry.uniqueId))
            entry.windowController->close();
}

void ContactsViewController::closeAllDetachedWindows() {
    const QList<DetachedWindowEntry> entries = detachedWindows_;
    for (const DetachedWindowEntry &entry : entries)
        if (entry.windowController)
            entry.windowController->close();
}

void ContactsViewController::refreshViewsShowingSelection(bool nameEditorToo) {
    const int selected = selectedRow();
    if (!isRow(selected))
        return;
    const SubContactRowPtr &row = subContactTable()[size_t(selected)];
    const ContactEntry entry = contactEntryOf(*row);
    if (ContactInfoPopover *shown = shownContactInfoPopover()) {
        // The popover keeps its own contact; it takes the row's only when it shows that contact.
        if (shown->uniqueId() == row->uniqueId)
            shown->setContact(&entry);
        else
            shown->updateTable();
    } else if (popover_ && nameEditorToo) {
        if (auto *name = qobject_cast<NameViewController *>(popover_->contentViewController()))
            name->updateUI();
    }
    for (const DetachedWindowEntry &detached : std::as_const(detachedWindows_))
        if (detached.windowController && detached.uniqueId == row->uniqueId)
            detached.windowController->contactInfoPopover()->setContact(&entry);
}
