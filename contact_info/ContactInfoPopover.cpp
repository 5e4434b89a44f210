#include "contact_info/ContactInfoPopover.h"

#include "editors/PopoverEditor.h"
#include "platform/core/Localization.h"
#include "platform/core/UndoManager.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Menu.h"
#include "state/ActionIds.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ContactInfoPopover::ContactInfoPopover(QObject *parent)
    : ViewController(parent)
    , state_(new WindowState(this))
    , contactInfo_(new ContactInfoController(this)) {
    contactInfo_->setWindowState(state_);
    contactInfo_->setShowsPopoverCells(true);
    contactInfo_->setDelegate(this);
    addChildViewController(contactInfo_);
    registerAction(ActionId::Undo, [this](QObject *) { undo(); });
    registerAction(ActionId::Redo, [this](QObject *) { redo(); });
}

ContactInfoPopover::~ContactInfoPopover() = default;

QWidget *ContactInfoPopover::loadView() {
    auto *view = new QWidget;
    auto *column = new QVBoxLayout(view);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);
    auto *header = new QHBoxLayout;
    contactNameField_ = PopoverEditor::makeContactNameField();
    header->addWidget(contactNameField_, 1);
    editButton_ = new QPushButton(L("Lock"));
    editButton_->setObjectName(QStringLiteral("editButton"));
    editButton_->setCheckable(true);
    editButton_->setAutoDefault(false);
    header->addWidget(editButton_);
    column->addLayout(header);
    redSeparator_ = PopoverEditor::makeSeparator();
    column->addWidget(redSeparator_);
    column->addWidget(contactInfo_->view(), 1);
    contactInfo_->showCard(false);
    auto *footer = new QHBoxLayout;
    footer->addStretch(1);
    okButton_ = new QPushButton(L("OK"));
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setAutoDefault(false);
    footer->addWidget(okButton_);
    column->addLayout(footer);
    connect(editButton_, &QPushButton::clicked, this, [this] { buttonDidPress(editButton_); });
    connect(okButton_, &QPushButton::clicked, this, [this] { buttonDidPress(okButton_); });
    contactInfo_->tableView()->installEventFilter(this);
    return view;
}

QPushButton *ContactInfoPopover::editButton() {
    view();
    return editButton_;
}

QFrame *ContactInfoPopover::redSeparator() {
    view();
    return redSeparator_;
}

QLineEdit *ContactInfoPopover::contactNameField() {
    view();
    return contactNameField_;
}

QTableView *ContactInfoPopover::tableView() {
    view();
    return contactInfo_->tableView();
}

QPushButton *ContactInfoPopover::okButton() {
    view();
    return okButton_;
}

QString ContactInfoPopover::uniqueId() const {
    const std::optional<ContactEntry> &shown = contact();
    if (!shown)
        return {};
    return shown->person ? shown->person->uniqueId() : shown->uniqueId;
}

void ContactInfoPopover::setContact(const ContactEntry *contact) {
    // The table answers only once its view is there.
    view();
    contactInfo_->setContact(contact);
    if (person())
        contactNameField_->setText(person()->compositeName());
}

void ContactInfoPopover::setSelectedFont(const QFont &font) {
    view();
    contactInfo_->setSelectedFont(font);
}

void ContactInfoPopover::setEditState(bool editState) {
    state_->setEditState(editState);
}

void ContactInfoPopover::updateTable() {
    if (contactNameField_ && person())
        contactNameField_->setText(person()->compositeName());
    contactInfo_->updateTable();
}

ContactInfoPopover::PersonPtr ContactInfoPopover::person() const {
    return contact() ? contact()->person : nullptr;
}

// ---- Life cycle

void ContactInfoPopover::viewDidLoad() {
    readIconRowCount();
    if (!contact())
        state_->setEditState(true);
}

void ContactInfoPopover::readIconRowCount() {
    const qint64 count = UserDefaults::standard().integerForKey(IconRowCountKey);
    contactInfo_->setIconRowCount(count > 0 ? count : 3);
}

void ContactInfoPopover::viewWillAppear() {
    readIconRowCount();
    if (person())
        contactNameField_->setText(person()->compositeName());
    editButton_->setChecked(editState());
    buttonDidPress(editButton_);
}

void ContactInfoPopover::viewWillDisappear() {
    if (delegate_) {
        DetachedWindowInfo info{uniqueId(), std::nullopt};
        if (!parentPopover_)
            info.window = parentWindow_.data();
        delegate_->detachedWindowDidClose(info);
    }
    // The photo size chosen here is where the next popover starts.
    UserDefaults::standard().setInteger(contactInfo_->iconRowCount(), IconRowCountKey);
}

// ---- Buttons, keys, Undo and Redo

void ContactInfoPopover::buttonDidPress(QObject *sender) {
    view();
    if (sender == editButton_) {
        showEditState(editButton_->isChecked());
        return;
    }
    if (sender != okButton_ || !delegate_)
        return;
    if (parentPopover_) {
        delegate_->detachedWindowDidClose({uniqueId(), parentWindow_.data()});
        parentPopover_->close();
    } else {
        delegate_->detachedWindowDidClose({uniqueId(), std::nullopt});
        if (parentWindow_)
            parentWindow_->close();
    }
}

void ContactInfoPopover::showEditState(bool editState) {
    state_->setEditState(editState);
    editButton_->setText(editState ? L("Lock") : L("Edit"));
    PopoverEditor::showEditStateInSeparator(redSeparator_, editState);
    contactInfo_->reloadKeepingSelection(false);
}

bool ContactInfoPopover::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress && contactInfo_->isViewLoaded() && watched == contactInfo_->tableView()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            deleteSelectedValue();
            return true;
        }
    }
    return ViewController::eventFilter(watched, event);
}

void ContactInfoPopover::deleteSelectedValue() {
    const QList<int> rows = contactInfo_->selectedRows();
    const PersonPtr shown = person();
    if (rows.isEmpty() || !editState() || !shown)
        return;
    const InfoTableRow row = contactInfo_->table().value(rows.first());
    const QString part = row.label.value_or(QString());
    bool changed = false;
    if (row.type == FieldId::Name) {
        NameRecord name = shown->nameValue();
        if (QString *text = name.part(part); text && !text->isEmpty()) {
            *text = QString();
            changed = undoReplaceNameValue(name, shown);
        }
    } else if (row.type == FieldId::PhoneticName) {
        auto phonetic = shown->phoneticNameValue();
        if (QString *text = phonetic ? phonetic->part(part) : nullptr; text && !text->isEmpty()) {
            *text = QString();
            changed = undoReplacePhoneticNameValue(phonetic, shown);
        }
    } else if (row.type == FieldId::Photo) {
        if (!shown->photoData().isEmpty())
            changed = undoReplacePhoto(FieldValue(), shown);
    } else if (row.type == FieldId::Birthday) {
        if (const auto birthday = shown->birthdayValue(); birthday && birthday->value)
            changed = undoReplaceBirthday(FieldValue(), shown);
    } else if (row.type != FieldId::Groups && row.type != FieldId::NameOrdering) {
        const QString kind = state_->kindForIdentifier(*shown, row.type);
        if (kind == ValueKind::Labeled) {
            const qint64 labelIndex = row.labelIndex.value_or(0);
            if (shown->labeledValueForIdentifier(row.type, LabelIndex(labelIndex)))
                changed = undoDeleteLabeledValueForIdentifier(row.type, labelIndex, shown);
        } else if (kind == ValueKind::String && !shown->stringValueForIdentifier(row.type).isEmpty()) {
            changed = undoReplaceStringValue(std::nullopt, row.type, shown);
            if (changed)
                contactInfo_->reloadKeepingSelection(false);
        }
    }
    // The change is reported like every other, so the window is marked edited and the
    // panes showing the contact follow. An empty row deletes nothing: no step, no mark.
    if (changed)
        sendContactDidUpdate();
}

void ContactInfoPopover::undo() {
    replayUndo(&UndoManager::undo);
}

void ContactInfoPopover::redo() {
    replayUndo(&UndoManager::redo);
}

void ContactInfoPopover::replayUndo(void (UndoManager::*replay)()) {
    if (!myUndoManager_)
        return;
    (myUndoManager_->*replay)();
    const bool remaining = myUndoManager_->canUndo();
    if (parentWindow_)
        parentWindow_->setDocumentEdited(remaining);
    if (documentWindow_ && documentWindow_ != parentWindow_)
        documentWindow_->setDocumentEdited(remaining);
}

bool ContactInfoPopover::validateMenuItem(MenuItem *item) {
    if (item->action() == ActionId::Undo)
        return myUndoManager_ && myUndoManager_->canUndo();
    if (item->action() == ActionId::Redo)
        return myUndoManager_ && myUndoManager_->canRedo();
    return ViewController::validateMenuItem(item);
}

void ContactInfoPopover::sendContactDidUpdate() {
    if (parentWindow_)
        parentWindow_->setDocumentEdited(true);
    if (delegate_ && contact())
        delegate_->contactDidUpdate(*contact(), this);
}

void ContactInfoPopover::selectItemAndRange(const FindTarget &target) {
    FindTarget kept = target;
    kept.contact = nullptr;
    contactInfo_->selectItemAndRange(kept);
}

// ---- Edits, passed on

bool ContactInfoPopover::undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) {
    return delegate_ && delegate_->undoReplaceNameValue(value, contact);
}

bool ContactInfoPopover::undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                                      const PersonPtr &contact) {
    return delegate_ && delegate_->undoReplacePhoneticNameValue(value, contact);
}

bool ContactInfoPopover::undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) {
    return delegate_ && delegate_->undoReplaceBirthday(value, contact);
}

bool ContactInfoPopover::undoReplacePhoto(const FieldValue &value, const PersonPtr &contact) {
    return delegate_ && delegate_->undoReplacePhoto(value, contact);
}

bool ContactInfoPopover::undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                                const PersonPtr &contact) {
    return delegate_ && delegate_->undoReplaceStringValue(value, identifier, contact, this);
}

bool ContactInfoPopover::undoReplaceLabeledValue(const FieldValue &value, const QString &identifier,
                                                 const PersonPtr &contact) {
    return delegate_ && delegate_->undoReplaceLabeledValue(value, identifier, contact, this);
}

void ContactInfoPopover::undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier,
                                             const PersonPtr &contact) {
    if (delegate_)
        delegate_->undoAddLabeledValue(value, identifier, contact, this);
}

bool ContactInfoPopover::undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                                             const PersonPtr &contact) {
    return delegate_ && delegate_->undoDeleteLabeledValueForIdentifier(identifier, labelIndex, contact, this);
}

// ---- The field table's reports

void ContactInfoPopover::contactDidUpdate(const ContactEntry &, ContactInfoController *) {
    sendContactDidUpdate();
}

void ContactInfoPopover::rowSelectionDidChange(ContactInfoController *, const InfoTableRow &row) {
    if (delegate_)
        delegate_->rowSelectionDidChange(this, row);
}

// ---- DetachedWindowController

DetachedWindowController::DetachedWindowController(QObject *parent)
    : WindowController(parent)
    , popover_(new ContactInfoPopover(this)) {}

void DetachedWindowController::windowDidLoad() {
    window()->setContentViewController(popover_);
}
