// The merge sheet's life: opening on a context, the row model of both tables, the edit
// state, Done and Cancel, the sheet's own undo, and drag and drop between the tables.
#include "merge/MergePanelController.h"

#include "editors/PhotoScaling.h"
#include "merge/MergeTableView.h"
#include "model/QMPerson.h"
#include "platform/core/Dispatch.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "state/ActionIds.h"

#include <QAction>
#include <QApplication>
#include <QFontMetricsF>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

MergePanelController::MergePanelController(QObject *parent)
    : WindowController(parent) {
    registerAction(ActionId::Undo, [this](QObject *) { edits_.undoManager()->undo(); });
    registerAction(ActionId::Redo, [this](QObject *) { edits_.undoManager()->redo(); });
    registerAction(ActionId::ShowPopoverWrapper, [this](QObject *sender) { showPopoverWrapper(sender); });
    registerAction(ActionId::InsertItem, [this](QObject *sender) { insertItem(sender); });
    registerAction(ActionId::DeleteItem, [this](QObject *sender) { deleteItem(sender); });
    registerAction(ActionId::DoWorkspaceAction, [this](QObject *sender) { doWorkspaceAction(sender); });
    registerAction(ActionId::AddImage, [this](QObject *sender) { addImage(sender); });
    registerAction(ActionId::DeleteImage, [this](QObject *sender) { deleteImage(sender); });
    makeValidationTable();
    edits_.setObserver([this](const auto &, const QString &, MergeEdits::Change change) { contactDidChange(change); });
    UndoManager *undo = edits_.undoManager();
    for (auto signal : {&UndoManager::didUndo, &UndoManager::didRedo, &UndoManager::didCloseUndoGroup})
        connect(undo, signal, this, [this] { updateDoneButton(); });
}

MergePanelController::~MergePanelController() {
    edits_.setObserver({});
    delete popover_.data();
    // The tables ask this controller for their rows until they are gone.
    if (isWindowLoaded())
        delete window();
}

Window *MergePanelController::loadWindow() {
    auto *window = new Window;
    window->setWindowTitle(L("Merge"));
    auto *content = new QWidget;
    auto *tables = new QGridLayout;
    for (const Side side : {Left, Right}) {
        nameFields_[side] = new QLineEdit;
        nameFields_[side]->setReadOnly(true);
        nameFields_[side]->setFrame(false);
        nameFields_[side]->setFocusPolicy(Qt::NoFocus);
        QFont bold = nameFields_[side]->font();
        bold.setBold(true);
        nameFields_[side]->setFont(bold);
        tableViews_[side] = new MergeTableView(this);
        tableViews_[side]->setObjectName(side == Left ? QStringLiteral("tableViewLeft")
                                                      : QStringLiteral("tableViewRight"));
        tables->addWidget(nameFields_[side], 0, side);
        tables->addWidget(tableViews_[side], 1, side);
    }
    redSeparator_ = new QFrame;
    redSeparator_->setFrameShape(QFrame::HLine);
    editButton_ = new QPushButton;
    editButton_->setCheckable(true);
    cancelButton_ = new QPushButton;
    doneButton_ = new QPushButton;
    doneButton_->setDefault(true);
    for (QPushButton *button : {editButton_.data(), cancelButton_.data(), doneButton_.data()})
        connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(editButton_);
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addWidget(doneButton_);
    auto *layout = new QVBoxLayout(content);
    layout->addLayout(tables, 1);
    layout->addWidget(redSeparator_);
    layout->addLayout(buttons);
    window->setCentralWidget(content);
    window->resize(960, 640);

    // The sheet has no menu bar: Undo and Redo are its own key equivalents, a field being
    // edited taking them first.
    for (const auto &[keys, action] : {std::pair{QKeySequence::Undo, ActionId::Undo},
                                       std::pair{QKeySequence::Redo, ActionId::Redo}}) {
        auto *shortcut = new QAction(window);
        shortcut->setShortcut(keys);
        shortcut->setShortcutContext(Qt::WindowShortcut);
        connect(shortcut, &QAction::triggered, this, [window, action = action] {
            QWidget *focus = QApplication::focusWidget();
            ActionRouter::sendAction(action, nullptr, focus && focus->window() == window ? focus : window);
        });
        window->addAction(shortcut);
    }
    return window;
}

void MergePanelController::windowDidLoad() {
    window()->setMainMenu(nullptr);
    window()->menuBar()->hide();
    nameFields_[Left]->setPlaceholderText(L("Name"));
    for (const Side side : {Left, Right}) {
        MergeTableView *table = tableViews_[side];
        menus_[side] = new Menu(QString(), table);
        menus_[side]->setDelegate(this);
        connect(table, &QWidget::customContextMenuRequested, this, [this, table, side](const QPoint &point) {
            const QModelIndex index = table->indexAt(point);
            table->setClickedCell(index.isValid() ? index.row() : -1, index.isValid() ? index.column() : -1);
            menus_[side]->popUpContextMenu(table->viewport()->mapToGlobal(point), table);
        });
        // Scrolling one table scrolls the other to the same rows.
        MergeTableView *other = tableViews_[side == Left ? Right : Left];
        connect(table->verticalScrollBar(), &QScrollBar::valueChanged, this, [other](int value) {
            if (other->verticalScrollBar()->value() != value)
                other->verticalScrollBar()->setValue(value);
        });
    }
    cancelButton_->setText(L("Cancel"));
    doneButton_->setText(L("Done"));
    showEditState(false);
}

void MergePanelController::windowWillClose() {
    if (popover_)
        popover_->close();
    // The sheet's steps do not outlive it.
    edits_.undoManager()->removeAllActions();
}

// ---- Views

QLineEdit *MergePanelController::nameFieldLeft() {
    window();
    return nameFields_[Left];
}

QLineEdit *MergePanelController::nameFieldRight() {
    window();
    return nameFields_[Right];
}

MergeTableView *MergePanelController::tableView(Side side) {
    window();
    return tableViews_[side];
}

MergeTableView *MergePanelController::tableViewLeft() {
    return tableView(Left);
}

MergeTableView *MergePanelController::tableViewRight() {
    return tableView(Right);
}

QPushButton *MergePanelController::editButton() {
    window();
    return editButton_;
}

QPushButton *MergePanelController::doneButton() {
    window();
    return doneButton_;
}

QPushButton *MergePanelController::cancelButton() {
    window();
    return cancelButton_;
}

QFrame *MergePanelController::redSeparator() {
    window();
    return redSeparator_;
}

// ---- Opening

void MergePanelController::setCustomItems(const QList<CustomItemDefinition> &items) {
    customItems_ = items;
    edits_.setCustomItems(items);
}

void MergePanelController::setContextInfo(SharedMergeContext context, bool editable) {
    window();
    edits_.undoManager()->removeAllActions();
    contextInfo_ = std::move(context);
    documentType_ = contextInfo_ ? contextInfo_->documentType : std::nullopt;
    for (const Side side : {Left, Right}) {
        contacts_[side].reset();
        if (!contextInfo_ || side >= contextInfo_->contacts.size() || !contextInfo_->contacts[side].person)
            continue;
        // Every key of the entry stays; the sheet edits a copy of the contact.
        ContactEntry copy = contextInfo_->contacts[side];
        copy.person = std::shared_ptr<QMPerson>(copy.person->copy());
        contacts_[side] = copy;
    }
    nameOrderingLabels_ = contacts_[Left] ? MergeRows::nameOrderingLabels(*contacts_[Left]->person) : QStringList();
    editButton_->setEnabled(editable);
    showEditState(editable);
    reloadTables();
}

void MergePanelController::setSelectedFont(const QFont &font) {
    selectedFont_ = font;
    const QFontMetricsF metrics(font);
    rowHeight_ = std::max(20.0, std::ceil(metrics.ascent() + metrics.descent() + metrics.leading()) + 9.0);
    reloadTables();
}

// ---- State

bool MergePanelController::hasChanges() {
    return edits_.undoManager()->canUndo();
}

bool MergePanelController::isEditing() const {
    return editButton_ && editButton_->isChecked();
}

void MergePanelController::showEditState(bool editing) {
    editButton_->setChecked(editing);
    editButton_->setText(editing ? L("Lock") : L("Edit"));
    doneButton_->setText(editing ? L("Change") : L("Done"));
    cancelButton_->setVisible(editing);
    QPalette palette = redSeparator_->palette();
    palette.setColor(QPalette::WindowText, editing ? QColor(Qt::red) : QColor(Qt::gray));
    redSeparator_->setPalette(palette);
    redSeparator_->setLineWidth(editing ? 2 : 1);
    updateDoneButton();
}

void MergePanelController::updateDoneButton() {
    if (doneButton_)
        doneButton_->setEnabled(!isEditing() || hasChanges());
}

void MergePanelController::buttonPressed(QObject *sender) {
    if (!sender)
        return;
    if (sender == doneButton_) {
        endEditing();
        const bool changed = hasChanges();
        if (changed && contextInfo_ && contacts_[Left] && contacts_[Right])
            contextInfo_->newContacts = QList<ContactEntry>{*contacts_[Left], *contacts_[Right]};
        endSheet(changed ? ChangedResponse : UnchangedResponse);
    } else if (sender == cancelButton_) {
        endSheet(UnchangedResponse);
    } else if (sender == editButton_) {
        // A sheet holding changes cannot be locked.
        if (!editButton_->isChecked() && hasChanges()) {
            editButton_->setChecked(true);
            return;
        }
        showEditState(editButton_->isChecked());
        reloadTables();
    }
}

void MergePanelController::endSheet(int code) {
    if (popover_)
        popover_->close();
    showEditState(false);
    Application::shared().endSheet(window(), code);
    close();
    contacts_ = {};
    draggingSourceDict_.reset();
    edits_.undoManager()->removeAllActions();
    reloadTables();
}

// The tables follow at the next turn of the event loop, once for a compound change: a
// change often comes from inside a cell editor, which a reload would take away.
void MergePanelController::contactDidChange(MergeEdits::Change change) {
    pendingRowsUp_ = pendingRowsUp_ || change == MergeEdits::Change::Deleted;
    if (reloadScheduled_)
        return;
    reloadScheduled_ = true;
    Dispatch::main(
        [this] {
            reloadScheduled_ = false;
            const bool rowsUp = std::exchange(pendingRowsUp_, false);
            reloadTables(rowsUp);
        },
        this);
}

void MergePanelController::afterPendingReload(std::function<void()> block) {
    if (reloadScheduled_)
        Dispatch::main(std::move(block), this);
    else
        block();
}

// ---- Row model

MergePanelController::Side MergePanelController::sideOf(const QTableView *table) const {
    return table && table == tableViews_[Right] ? Right : Left;
}

std::shared_ptr<QMPerson> MergePanelController::personOf(Side side) const {
    return contacts_[side] ? contacts_[side]->person : nullptr;
}

const MergeRow *MergePanelController::rowAt(const QTableView *table, int row) const {
    if (!table || (table != tableViews_[Left] && table != tableViews_[Right]))
        return nullptr;
    const MergeTable &rows = tables_[sideOf(table)];
    return row >= 0 && row < rows.size() ? &rows[row] : nullptr;
}

QString MergePanelController::kindOf(Side side, const QString &type) const {
    const auto person = personOf(side);
    return person ? MergeRows::kindOf(*person, type, customItems_) : QString();
}

void MergePanelController::reloadTables(bool rowsUp) {
    if (!isWindowLoaded() || reloading_)
        return;
    reloading_ = true;
    const auto left = personOf(Left), right = personOf(Right);
    labeledValueCountDict_ = MergeRows::labeledValueCounts(left.get(), right.get(), customItems_);
    for (const Side side : {Left, Right})
        tables_[side] = MergeRows::tableFromContact(personOf(side).get(), labeledValueCountDict_, customItems_,
                                                    nameOrderingLabels_);
    // A row is as high as the taller of its two sides, so the two tables stay side by side.
    for (int row = 0; row < tables_[Left].size() && row < tables_[Right].size(); ++row) {
        const int lines = std::max(MergeRows::numberOfLines(tables_[Left][row], *left, customItems_),
                                   MergeRows::numberOfLines(tables_[Right][row], *right, customItems_));
        tables_[Left][row].numLines = tables_[Right][row].numLines = lines;
    }
    for (const Side side : {Left, Right}) {
        const auto person = personOf(side);
        const QString name = person ? person->compositeName() : QString();
        nameFields_[side]->setText(name.isEmpty() && person ? L("No name") : name);

        MergeTableView *table = tableViews_[side];
        QList<int> selected;
        for (const QModelIndex &index : table->selectionModel()->selectedRows())
            selected.append(rowsUp ? std::max(0, index.row() - 1) : index.row());
        table->retireCellWidgets();
        table->mergeModel()->reload();
        for (int row = 0; row < tables_[side].size(); ++row)
            table->setRowHeight(row, int(tableViewHeightOfRow(table, row)));
        makeValueCellWidgets(side);
        for (const int row : std::as_const(selected))
            if (row < tables_[side].size())
                table->selectionModel()->select(table->mergeModel()->index(row, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    reloading_ = false;
    updateDoneButton();
}

int MergePanelController::numberOfRowsInTableView(const QTableView *) const {
    return int(std::max(tables_[Left].size(), tables_[Right].size()));
}

double MergePanelController::tableViewHeightOfRow(const QTableView *table, int row) const {
    const MergeRow *merge = rowAt(table, row);
    return merge ? rowHeight_ * std::max(1, merge->numLines) : rowHeight_;
}

// ---- Drag and drop

bool MergePanelController::tableViewWriteRows(QTableView *table, int row, Pasteboard &pasteboard) {
    const MergeRow *dragged = rowAt(table, row);
    const auto person = personOf(sideOf(table));
    if (!dragged || !person)
        return false;
    draggingSourceDict_ = *dragged;
    draggingSourceIndex_ = row;
    const MergeDragContent content = mergeDragContent(*dragged, *person, customItems_);
    if (content.isEmpty())
        return false;
    pasteboard.clearContents();
    pasteboard.setSource(window(), table);
    if (!content.photo.isEmpty())
        return pasteboard.setData(content.photo, PasteboardType::TIFF);
    return pasteboard.setString(content.text);
}

Qt::DropAction MergePanelController::tableViewValidateDrop(QTableView *table, const Pasteboard &info, int row,
                                                           MergeDropPosition position, bool copy) {
    const Side side = sideOf(table);
    const auto target = personOf(side);
    const MergeRow *onto = rowAt(table, row);
    if (!target || !isEditing())
        return Qt::IgnoreAction;
    const bool fromOther = draggingSourceDict_ && info.isFromView(tableViews_[side == Left ? Right : Left]);
    if (fromOther)
        return validateMergeDrop(true, true, *draggingSourceDict_, tables_[side], row, position, *target, customItems_)
                   ? (copy ? Qt::CopyAction : Qt::MoveAction)
                   : Qt::IgnoreAction;
    // A picture from elsewhere (not a row of this sheet) may replace the photo.
    const bool picture = info.types().contains(PasteboardType::PNG) && !info.isFromView(tableViews_[Left]) &&
                         !info.isFromView(tableViews_[Right]);
    return onto && onto->type == FieldId::Photo && position == MergeDropPosition::On && picture
               ? Qt::CopyAction
               : Qt::IgnoreAction;
}

bool MergePanelController::tableViewAcceptDrop(QTableView *table, const Pasteboard &info, int row,
                                               MergeDropPosition position, bool copy) {
    const Qt::DropAction action = tableViewValidateDrop(table, info, row, position, copy);
    if (action == Qt::IgnoreAction)
        return false;
    // An edit left open in a cell ends first: the drop's reload would take its editor away
    // with the text typed so far.
    endEditing();
    const Side side = sideOf(table);
    if (!info.isFromView(tableViews_[side == Left ? Right : Left])) {
        const quint64 before = edits_.changeSerial();
        imageDidChange(table, info.image());
        return edits_.changeSerial() != before;
    }
    const Side source = side == Left ? Right : Left;
    return acceptMergeDrop(edits_, *draggingSourceDict_, tables_[side][row], position, action == Qt::CopyAction,
                           personOf(source), personOf(side));
}

void MergePanelController::imageDidChange(QTableView *table, const QImage &image) {
    const auto person = personOf(sideOf(table));
    if (person && !image.isNull())
        edits_.undoReplacePhoto(PhotoScaling::scaleToLimit(image), person);
}
