// The find window itself: what the opener hands over, the window's controls, the three
// filter popups and the search mode, the Edit/Lock state, starting a search and ending.
#include "find/FindPanel.h"

#include "find/FindMatcher.h"
#include "find/FindResultsTable.h"
#include "find/FindSearch.h"
#include "find/SegmentedButtons.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Menu.h"
#include "state/ActionIds.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QStringList multiValuedFieldsForLabels = {
    FieldId::Phone,         FieldId::Email,          FieldId::Address,      FieldId::URL,
    FieldId::SocialNetwork, FieldId::InstantMessage, FieldId::Relationship, FieldId::Dates};

QStringList defaultSubItems() {
    QStringList entries = {FindMatcher::All,
                           FieldId::FirstName,
                           FieldId::MiddleName,
                           FieldId::LastName,
                           FieldId::PhoneticFirstName,
                           FieldId::PhoneticMiddleName,
                           FieldId::PhoneticLastName,
                           FieldId::ZIP,
                           FieldId::State,
                           FieldId::City,
                           FieldId::Street,
                           FieldId::Country,
                           QStringLiteral("CountryCode")};
    entries +=
        {CNInstantMessageServiceAIM,        CNInstantMessageServiceFacebook, CNInstantMessageServiceGaduGadu,
         CNInstantMessageServiceGoogleTalk, CNInstantMessageServiceICQ,      CNInstantMessageServiceJabber,
         CNInstantMessageServiceMSN,        CNInstantMessageServiceQQ,       CNInstantMessageServiceSkype,
         CNInstantMessageServiceYahoo};
    return entries;
}

// A key equivalent of a window without a menu bar, sent along its responder chain from
// the focused widget, as a menu item's would be.
void addKeyEquivalent(Window *window, const QKeySequence &keys, const QString &action) {
    auto *shortcut = new QAction(window);
    shortcut->setShortcut(keys);
    shortcut->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QAction::triggered, window, [window, action] {
        QWidget *focus = QApplication::focusWidget();
        ActionRouter::sendAction(action, nullptr, focus && focus->window() == window ? focus : window);
    });
    window->addAction(shortcut);
}

} // namespace

FindPanel::FindPanel(QObject *parent)
    : WindowController(parent)
    , search_(new FindSearch([this](quint64, FindSearchResult result) { searchDidFinish(std::move(result)); },
                             this)) {
    registerAction(ActionId::ItemPopupDidSelect,
                   [this](QObject *sender) { itemPopupDidSelect(qobject_cast<MenuItem *>(sender)); });
    registerAction(ActionId::SubItemPopupDidSelect,
                   [this](QObject *sender) { subItemPopupDidSelect(qobject_cast<MenuItem *>(sender)); });
    registerAction(ActionId::LabelPopupDidSelect,
                   [this](QObject *sender) { labelPopupDidSelect(qobject_cast<MenuItem *>(sender)); });
    registerAction(ActionId::Undo, [this](QObject *) { undoManager_.undo(); });
    registerAction(ActionId::Redo, [this](QObject *) { undoManager_.redo(); });
}

FindPanel::~FindPanel() {
    // The workers post back to the search object: stop them before anything else goes,
    // then the window, whose table still asks this controller while it is taken apart.
    delete search_;
    search_ = nullptr;
    if (isWindowLoaded())
        delete window();
}

// ---- Inputs

void FindPanel::setContacts(const QList<ContactEntry> &contacts) {
    contacts_ = contacts;
    if (isWindowLoaded())
        makeSnapshot();
}

bool FindPanel::editState() const {
    return editButton_ ? editButton_->isChecked() : editState_;
}

void FindPanel::setEditState(bool editState) {
    editState_ = editState;
    if (editButton_) {
        editButton_->setChecked(editState);
        applyEditState();
    }
}

QStringList FindPanel::openerLabels() {
    const QHash<QString, QStringList> table = QMPerson::labelTableDict();
    QStringList labels;
    for (const QString &identifier : multiValuedFieldsForLabels)
        labels += table.value(identifier);
    return labels;
}

QStringList FindPanel::openerLocalizedLabels() {
    // The label table first takes in the words met in contacts, so titles and words agree.
    QMPerson::labelTableDict();
    QStringList titles;
    for (const QString &identifier : multiValuedFieldsForLabels)
        titles += QMPerson::localizedLabelsForIdentifier(identifier).value_or(QStringList());
    return titles;
}

int FindPanel::runModal() {
    return Application::shared().runModalForWindow(window());
}

bool FindPanel::isSearching() const {
    return restartPending_ || (search_ && search_->isSearching());
}

// ---- The window

Window *FindPanel::loadWindow() {
    auto *window = new Window;
    window->setWindowTitle(L("Find"));
    auto *content = new QWidget;

    editButton_ = new QPushButton;
    editButton_->setCheckable(true);
    itemPopup_ = new PullDownButton;
    subItemPopup_ = new PullDownButton;
    labelPopup_ = new PullDownButton;
    searchModePopup_ = new QComboBox;
    searchField_ = new QLineEdit;
    searchField_->setClearButtonEnabled(true);
    searchField_->setMinimumWidth(200);
    patternErrorField_ = new QLabel;
    patternErrorField_->setStyleSheet(QStringLiteral("color: #c0392b;"));
    patternErrorField_->hide();
    auto *filters = new QHBoxLayout;
    filters->addWidget(editButton_);
    filters->addSpacing(8);
    filters->addWidget(itemPopup_);
    filters->addWidget(subItemPopup_);
    filters->addWidget(labelPopup_);
    filters->addWidget(searchModePopup_);
    filters->addWidget(searchField_, 1);
    filters->addWidget(patternErrorField_);

    redSeparator_ = new QFrame;
    redSeparator_->setObjectName(QStringLiteral("redSeparator"));
    redSeparator_->setFixedHeight(1);
    redSeparator_->setAutoFillBackground(true);

    tableView_ = new QTableView;
    model_ = new FindResultsTableModel(this, tableView_);
    tableView_->setModel(model_);
    tableView_->setItemDelegate(new FindResultsDelegate(model_, tableView_));
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setWordWrap(false);
    tableView_->setShowGrid(false);
    QHeaderView *rows = tableView_->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(int(LineHeight));
    QHeaderView *columns = tableView_->horizontalHeader();
    columns->setStretchLastSection(true);
    columns->setSortIndicatorShown(true);
    columns->setSortIndicator(-1, Qt::AscendingOrder);
    tableView_->setSortingEnabled(true);
    for (int column = 0; column < ValueColumn; ++column)
        tableView_->setColumnWidth(column, column == 0 ? 150 : 110);
    connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (selectingRow_)
            return;
        const QModelIndexList chosen = tableView_->selectionModel()->selectedRows();
        if (!chosen.isEmpty())
            tableViewShouldSelectRow(tableView_, chosen.first().row());
    });

    directionControl_ = new SegmentedButtons(2);
    directionControl_->button(0)->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowBack));
    directionControl_->button(1)->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowForward));
    connect(directionControl_, &SegmentedButtons::clicked, this,
            [this] { directionButtonDidClick(directionControl_); });
    replaceField_ = new QLineEdit;
    replaceButtons_ = new SegmentedButtons(2);
    connect(replaceButtons_, &SegmentedButtons::clicked, this,
            [this] { replaceButtonDidClick(replaceButtons_); });
    closeButton_ = new QPushButton;
    auto *replaceRow = new QHBoxLayout;
    replaceRow->addWidget(directionControl_);
    replaceRow->addWidget(replaceField_, 1);
    replaceRow->addWidget(replaceButtons_);
    replaceRow->addStretch();
    replaceRow->addWidget(closeButton_);

    auto *layout = new QVBoxLayout(content);
    layout->addLayout(filters);
    layout->addWidget(redSeparator_);
    layout->addWidget(tableView_, 1);
    layout->addLayout(replaceRow);
    window->setCentralWidget(content);
    window->resize(980, 560);

    connect(searchField_, &QLineEdit::returnPressed, this, [this] { textDidEnter(searchField_); });
    connect(searchModePopup_, &QComboBox::activated, this,
            [this] { searchModePopupDidSelect(searchModePopup_); });
    for (QPushButton *button : {editButton_.data(), closeButton_.data()})
        connect(button, &QPushButton::clicked, this, [this, button] { buttonDidPress(button); });
    addKeyEquivalent(window, QKeySequence::Undo, ActionId::Undo);
    addKeyEquivalent(window, QKeySequence::Redo, ActionId::Redo);
    return window;
}

void FindPanel::windowDidLoad() {
    // A modal panel: the document's menus stay with the document window.
    window()->setMainMenu(nullptr);
    window()->menuBar()->hide();
    replaceButtons_->setLabel(L("Replace"), 0);
    replaceButtons_->setLabel(L("All"), 1);
    replaceField_->setPlaceholderText(L("Replace"));
    model_->reload();
    editButton_->setChecked(editState_);
    applyEditState();
    closeButton_->setText(L("Done"));

    compareOptions_ = FindCompareOptions::CaseInsensitive;
    searchResults_.clear();
    searchModePopup_->clear();
    for (const FindCompareOptions::SearchMode &mode : FindCompareOptions::SearchModes)
        searchModePopup_->addItem(L(mode.title));
    searchModePopup_->setCurrentIndex(0);
    replaceButtons_->setSelectedSegment(0);

    buildFilterPopups();
    if (!searchString_.isEmpty())
        searchField_->setText(searchString_);
    connect(tableView_, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { tableViewDoubleAction(index.row(), index.column()); });
    makeSnapshot();
    updateReplaceButtons();
    // The window opens to be typed into: the search text takes the keys, ready to be replaced.
    searchField_->selectAll();
    searchField_->setFocus(Qt::OtherFocusReason);
}

void FindPanel::makeSnapshot() {
    snapshot_ = FindSnapshot::make(contacts_);
}

void FindPanel::windowWillClose() {
    search_->cancel();
    if (popover_)
        popover_->close();
    if (Application::shared().modalWindow() == window())
        Application::shared().abortModal();
}

// ---- Filter popups

void FindPanel::buildFilterPopups() {
    items_ = {FindMatcher::All};
    for (const QString &identifier : QMPerson::allIdentifiers()) {
        items_.append(identifier);
        if (identifier == FieldId::Address)
            items_ += QMPerson::addressIdentifiers();
    }
    for (const CustomItemDefinition &item : std::as_const(customItems_))
        items_.append(item.name);
    if (selectedItems_.isEmpty())
        selectedItems_ = {FindMatcher::All};
    fillPopup(itemPopup_, items_, ActionId::ItemPopupDidSelect);
    setPopupTitle(itemPopup_, itemsTitle(L("Items"), selectedItems_));

    if (subItems_.isEmpty())
        subItems_ = defaultSubItems();
    selectedSubItems_ = {FindMatcher::All};
    fillPopup(subItemPopup_, subItems_, ActionId::SubItemPopupDidSelect);
    setPopupTitle(subItemPopup_, itemsTitle(L("Sub Items"), selectedSubItems_));

    if (labels_.isEmpty()) {
        labels_ = {FindMatcher::All, QStringLiteral("home"), QStringLiteral("work"), QStringLiteral("other")};
        localizedLabels_.clear();
    }
    selectedLabels_.removeDuplicates();
    if (selectedLabels_.isEmpty() || selectedLabels_.contains(FindMatcher::All)) {
        selectedLabels_ = {FindMatcher::All};
        selectedLocalizedLabels_ = {L("All")};
    } else {
        // Each word by the title its entry shows.
        selectedLocalizedLabels_.clear();
        for (const QString &word : std::as_const(selectedLabels_)) {
            const qsizetype at = labels_.indexOf(word);
            selectedLocalizedLabels_.append(at >= 0 && at < localizedLabels_.size() && !localizedLabels_[at].isEmpty()
                                                ? localizedLabels_[at]
                                                : word);
        }
    }
    auto *menu = new Menu;
    menu->addItem(QString());
    MenuItem *all = menu->addItem(L("All"), ActionId::LabelPopupDidSelect);
    all->setRepresentedObject(FindMatcher::All);
    // A word given under several fields stands there once for each.
    for (qsizetype i = 0; i < labels_.size(); ++i) {
        if (labels_[i].isEmpty() || i >= localizedLabels_.size() || localizedLabels_[i].isEmpty())
            continue;
        MenuItem *entry = menu->addItem(localizedLabels_[i], ActionId::LabelPopupDidSelect);
        entry->setRepresentedObject(labels_[i]);
    }
    labelPopup_->setPullDownMenu(menu);
    setPopupTitle(labelPopup_, QStringLiteral("%1 - %2").arg(L("Label"), selectedLocalizedLabels_.join(u'+')));
}

void FindPanel::fillPopup(PullDownButton *popup, const QStringList &entries, const QString &action) {
    auto *menu = new Menu;
    menu->addItem(QString());
    for (const QString &entry : entries) {
        MenuItem *item = menu->addItem(QMPerson::localizedIdentifierForKey(entry), action);
        item->setRepresentedObject(entry);
    }
    popup->setPullDownMenu(menu);
}

void FindPanel::setPopupTitle(PullDownButton *popup, const QString &title) {
    popup->pullDownMenu()->itemAtIndex(0)->setTitle(title);
    popup->synchronizeTitle();
}

// "Items - All", or "Items - " and each choice followed by " + ", the last two characters cut.
// Entries are named as the popup names them.
QString FindPanel::itemsTitle(const QString &prefix, const QStringList &selection) const {
    if (selection.isEmpty() || selection.first() == FindMatcher::All)
        return QStringLiteral("%1 - %2").arg(prefix, L("All"));
    QString title = QStringLiteral("%1 - ").arg(prefix);
    for (const QString &entry : selection)
        title += QStringLiteral("%1 + ").arg(QMPerson::localizedIdentifierForKey(entry));
    title.chop(2);
    return title;
}

// One rule for the three popups: "All" alone, or a set of entries that never gets empty.
void FindPanel::filterDidSelect(MenuItem *sender, PullDownButton *popup, QStringList &selection,
                                const QString &prefix) {
    if (!sender)
        return;
    const QString entry = sender->representedObject().toString();
    const bool labels = popup == labelPopup_;
    if (entry == FindMatcher::All) {
        selection = {FindMatcher::All};
        if (labels)
            selectedLocalizedLabels_ = {L("All")};
        setPopupTitle(popup, QStringLiteral("%1 - %2").arg(prefix, L("All")));
    } else {
        selection.removeAll(FindMatcher::All);
        if (labels)
            selectedLocalizedLabels_.removeAll(L("All"));
        if (!selection.contains(entry)) {
            selection.append(entry);
            if (labels)
                selectedLocalizedLabels_.append(sender->title());
        } else if (selection.size() > 1) {
            selection.removeAll(entry);
            if (labels)
                selectedLocalizedLabels_.removeAll(sender->title());
        }
        setPopupTitle(popup, labels
                                 ? QStringLiteral("%1 - %2").arg(prefix, selectedLocalizedLabels_.join(u'+'))
                                 : itemsTitle(prefix, selection));
    }
    updateTable();
}

void FindPanel::itemPopupDidSelect(MenuItem *sender) {
    filterDidSelect(sender, itemPopup_, selectedItems_, L("Items"));
}

void FindPanel::subItemPopupDidSelect(MenuItem *sender) {
    filterDidSelect(sender, subItemPopup_, selectedSubItems_, L("Sub Items"));
}

void FindPanel::labelPopupDidSelect(MenuItem *sender) {
    filterDidSelect(sender, labelPopup_, selectedLabels_, L("Label"));
}

bool FindPanel::validateMenuItem(MenuItem *item) {
    const QString action = item->action();
    const QStringList *selection = action == ActionId::ItemPopupDidSelect      ? &selectedItems_
                                   : action == ActionId::SubItemPopupDidSelect ? &selectedSubItems_
                                   : action == ActionId::LabelPopupDidSelect   ? &selectedLabels_
                                                                               : nullptr;
    if (selection) {
        item->setState(selection->contains(item->representedObject().toString()) ? StateOn : StateOff);
        return true;
    }
    if (action == ActionId::Undo)
        return undoManager_.canUndo();
    if (action == ActionId::Redo)
        return undoManager_.canRedo();
    return WindowController::validateMenuItem(item);
}

// ---- Mode, search field, buttons

void FindPanel::searchModePopupDidSelect(QObject *sender) {
    if (!sender || sender != searchModePopup_)
        return;
    const int mode = searchModePopup_->currentIndex();
    compareOptions_ = mode == 0 || mode == 1 ? FindCompareOptions::SearchModes[mode].compareOptions
                                             : FindCompareOptions::RegularExpression;
    updateTable();
}

void FindPanel::textDidEnter(QObject *sender) {
    if (!sender || sender != searchField_)
        return;
    searchString_ = searchField_->text();
    updateTable();
}

void FindPanel::buttonDidPress(QObject *sender) {
    if (!sender)
        return;
    if (sender == editButton_)
        applyEditState();
    else if (sender == closeButton_)
        window()->close();
}

// The edit state changes only this window: it decides whether values can be edited,
// written back and replaced.
void FindPanel::applyEditState() {
    const bool editing = editButton_->isChecked();
    editState_ = editing;
    editButton_->setText(editing ? L("Lock") : L("Edit"));
    if (editing)
        redSeparator_->setFixedHeight(2);
    QPalette palette = redSeparator_->palette();
    palette.setColor(QPalette::Window, editing ? QColor(Qt::red) : QColor(Qt::gray));
    redSeparator_->setPalette(palette);
    updateReplaceButtons();
}

// ---- Searching

void FindPanel::updateTable() {
    if (!isWindowLoaded())
        return;
    restartPending_ = false;
    FindQuery query{FindPattern(searchString_, compareOptions_), FindMatcher::itemsToSearch(selectedItems_),
                    selectedSubItems_, selectedLabels_};
    patternErrorField_->setText(query.pattern.errorMessage());
    patternErrorField_->setVisible(!query.pattern.errorMessage().isEmpty());
    search_->discard(std::exchange(searchResults_, {}));
    selectedRow_ = -1;
    selectedRangeIndex_ = -1;
    {
        // New rows come in the search's order.
        const QSignalBlocker blocker(tableView_->horizontalHeader());
        tableView_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    }
    reloadResults(QList<qsizetype>());
    updateReplaceButtons();
    search_->start(query, snapshot_);
}

void FindPanel::searchDidFinish(FindSearchResult result) {
    searchResults_ = std::move(result.rows);
    reloadResults(result.tallRows);
    if (searchResults_.isEmpty())
        return;
    selectedRangeIndex_ = searchResults_.first()->ranges.isEmpty() ? -1 : 0;
    selectedRow_ = 0;
    showCurrentRow(-1);
}

// ---- Controls, loaded on first use

QFrame *FindPanel::redSeparator() {
    window();
    return redSeparator_;
}

QPushButton *FindPanel::editButton() {
    window();
    return editButton_;
}

PullDownButton *FindPanel::itemPopup() {
    window();
    return itemPopup_;
}

PullDownButton *FindPanel::subItemPopup() {
    window();
    return subItemPopup_;
}

PullDownButton *FindPanel::labelPopup() {
    window();
    return labelPopup_;
}

QComboBox *FindPanel::searchModePopup() {
    window();
    return searchModePopup_;
}

QLineEdit *FindPanel::searchField() {
    window();
    return searchField_;
}

QLabel *FindPanel::patternErrorField() {
    window();
    return patternErrorField_;
}

SegmentedButtons *FindPanel::directionControl() {
    window();
    return directionControl_;
}

SegmentedButtons *FindPanel::replaceButtons() {
    window();
    return replaceButtons_;
}

QLineEdit *FindPanel::replaceField() {
    window();
    return replaceField_;
}

QTableView *FindPanel::tableView() {
    window();
    return tableView_;
}

QPushButton *FindPanel::closeButton() {
    window();
    return closeButton_;
}
