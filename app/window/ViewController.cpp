#include "app/window/ViewController.h"

#include "model/ViewTypes.h"
#include "platform/core/Dispatch.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/core/UndoManager.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FontManager.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ScreenFit.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace tessarin {

namespace {

// The fields whose values a sort by their column reorders inside each contact.
const QStringList &reorderedIdentifiers() {
    static const QStringList identifiers = {
        FieldId::Email, FieldId::InstantMessage, FieldId::SocialNetwork, FieldId::URL,
        FieldId::Phone, FieldId::Address,        FieldId::Relationship,  FieldId::Dates};
    return identifiers;
}

// The document windows in the order they appeared, to tell which one is in front.
QList<QPointer<Window>> &documentWindows() {
    static QList<QPointer<Window>> windows;
    return windows;
}

// The open document window in front, other than the one given: the key window when it is
// one, else the one that appeared last.
Window *frontWindow(const Window *own) {
    QList<QPointer<Window>> &windows = documentWindows();
    windows.removeIf([](const QPointer<Window> &window) { return !window; });
    const auto isOther = [own](const Window *window) {
        return window && window != own && window->isVisible();
    };
    if (Window *key = Application::shared().keyWindow(); isOther(key) && windows.contains(key))
        return key;
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        if (isOther(*it))
            return *it;
    return nullptr;
}

} // namespace

ViewController::ViewController(QObject *parent)
    : ::ViewController(parent)
    , settings_(SharedSettings::shared())
    , windowState_(new WindowState(this))
    , edits_(new DocumentEdits(windowState_, [this] { return undoManager(); }, this)) {
    edits_->setObserver(this);
    // The window's structure: a split view of the group list, the table and the detail panel.
    splitViewController_ = new SplitViewController(Qt::Horizontal, this);
    groupViewController_ = new GroupViewController(this);
    contactsViewController_ = new ContactsViewController(this);
    contactInfoController_ = new ContactInfoController(this);
    findBarController_ = new FindBarController(this);
    // The separator and the refresh come before anything else observing the edit state.
    connect(windowState_, &WindowState::editStateChanged, this, &ViewController::editStateDidChange);
    groupViewController_->setWindowState(windowState_);
    contactsViewController_->setWindowState(windowState_);
    contactsViewController_->setSettings(settings_);
    contactInfoController_->setWindowState(windowState_);
    contactInfoController_->setSettings(settings_);
    splitViewController_->addSplitViewItem(groupViewController_);
    splitViewController_->addSplitViewItem(contactsViewController_);
    splitViewController_->addSplitViewItem(contactInfoController_);
    addChildViewController(splitViewController_);
    contactWindows_ = contactsViewController_;
    addChildViewController(findBarController_);
    setUpFindBar();

    registerAction(ActionId::ChangeFont, [this](QObject *sender) { changeFont(sender); });
    registerAction(ActionId::RevertToDefaultFont, [this](QObject *sender) { revertToDefaultFont(sender); });
    registerEditActions();
    registerPanelActions();
    const auto groupShown = [this] {
        const SplitViewItem *groupItem = splitViewController_->splitViewItems().value(0);
        return groupItem && !groupItem->isCollapsed();
    };
    const auto contactsSelected = [this](MenuItem &) {
        return editState() && !contactsViewController_->selectedSubContacts().isEmpty();
    };
    const auto tableRule = [this](MenuItem &item) { return contactsViewController_->validateMenuItem(&item); };
    validation_ = {
        {ActionId::Undo, [this](MenuItem &) { return undoManager() && undoManager()->canUndo(); }},
        {ActionId::Redo, [this](MenuItem &) { return undoManager() && undoManager()->canRedo(); }},
        {ActionId::AddGroup, [groupShown](MenuItem &) { return groupShown(); }},
        {ActionId::DeleteGroup,
         [this, groupShown](MenuItem &) {
             return groupShown() && editState() && selectedGroupDict_ && !selectedGroupDict_->top;
         }},
        {ActionId::DeleteContacts, contactsSelected},
        {ActionId::DuplicateContacts, contactsSelected},
        {ActionId::ShowFindPanel, [this](MenuItem &) { return bool(contactTable_); }},
        {ActionId::ShowQRCode, tableRule},
        {ActionId::MergeContacts, tableRule},
        {ActionId::NormalizePhoneNumber, tableRule},
        {ActionId::ToggleShowCompany, tableRule},
    };
}

ViewController::~ViewController() = default;

QWidget *ViewController::loadView() {
    auto *view = new QWidget;
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    redSeparator_ = new QFrame(view);
    redSeparator_->setObjectName(QStringLiteral("redSeparator"));
    redSeparator_->setFixedHeight(2);
    layout->addWidget(redSeparator_);
    layout->addWidget(findBarController_->view());
    layout->addWidget(splitViewController_->view(), 1);
    return view;
}

QRect ViewController::groupViewFrame() const {
    SplitViewItem *item = splitViewController_->splitViewItems().value(0);
    if (!item || item->isCollapsed() || !groupViewController_->isViewLoaded())
        return {};
    return groupViewController_->view()->geometry();
}

// ---- Life cycle

void ViewController::viewDidLoad() {
    newWindow_ = false;
    if (Application::shared().shouldOfferPreferencesReset()) {
        Alert alert;
        alert.informativeText = L("Would you like to restore default preferences?");
        alert.addButtonWithTitle(L("OK"));
        alert.addButtonWithTitle(L("Cancel"));
        if (alert.runModal() == AlertFirstButtonReturn) {
            UserDefaults::standard().resetAll();
            // The settings store their first-launch values again, and every window follows.
            settings_->reload();
            newWindow_ = true;
        }
    }
    findBarController_->setDelegate(this);
    findBarController_->setVisible(false);
    setEditState(true);
    windowState_->readDocumentFont(documentName_);
}

void ViewController::viewWillAppear() {
    // The panes are assembled once per window; a window shown again keeps its state.
    if (appeared_)
        return;
    appeared_ = true;
    const QList<SplitViewItem *> items = splitViewController_->splitViewItems();
    items[0]->setMaximumThickness(250);
    items[1]->setMinimumThickness(200);
    items[1]->setCanCollapse(false);
    items[2]->setMinimumThickness(300);

    FontManager &fonts = FontManager::shared();
    fonts.setSelectedFont(selectedFont(), false);
    changeFont(&fonts);
    fonts.setTarget(this);

    if (containerTable()) {
        groupViewController_->setContainerTable(containerTable());
        groupViewController_->setSelectedGroupDict(selectedGroupDict_);
    }
    groupViewController_->setDelegate(this);
    contactsViewController_->setDelegate(this);
    contactInfoController_->setDelegate(this);

    if (contactTable_) {
        contactsViewController_->setContactTable(contactTable_);
        if (!contactTable_->isEmpty())
            contactInfoController_->setContact(&contactTable_->first());
        emit groupViewShouldShow(false);
        groupViewController_->updateTable();
        contactsViewController_->tableView()->setFocus();
    } else {
        emit groupViewShouldShow(false);
    }

    if (::WindowController *windowController = this->windowController())
        windowController->setWindowFrameAutosaveName(documentName_.isEmpty() ? WindowState::UnnamedDocument
                                                                             : documentName_);

    // The detail pane starts collapsed, as the visibility flag says.
    contactInfoVisible_ = false;
    items[2]->setCollapsed(true, false);
    // Either way the table's rows are built once: the edit state's refresh builds them.
    if (!newWindow_) {
        findBarController_->setVisible(false);
        setEditState(WindowState::storedEditState());
    } else {
        applyDefaultFrame(100);
        contactsViewController_->updateTable();
    }
    if (Window *window = this->window()) {
        // Shown again, a window is the one that appeared last.
        documentWindows().removeAll(window);
        documentWindows().append(window);
    }
    // Once the window is up the find button is enabled again through the bar's hiding; a bar
    // the user has opened meanwhile stays.
    Dispatch::after(
        400,
        [this] {
            if (!findBarController_->isVisible())
                showFindBar(false);
        },
        this);
}

void ViewController::viewWillDisappear() {
    windowState_->storeDocumentFont(documentName_);
}

void ViewController::applyDefaultFrame(int topMargin) {
    Window *window = this->window();
    if (!window)
        return;
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect visible = screen ? screen->availableGeometry() : QRect();
    const QRect defaultFrame(visible.left() + 100, visible.top() + topMargin, 900, 500);
    // Each further window steps down from the one in front instead of covering it, its title
    // bar and borders (the front window's) inside the area too.
    const Window *front = frontWindow(window);
    if (!front) {
        window->setGeometry(defaultFrame);
        return;
    }
    window->setGeometry(
        cascadedFrame(defaultFrame, front->geometry(), visible.marginsRemoved(frameMargins(front))));
}

void ViewController::saveColumnWithDictionary() {
    contactsViewController_->saveColumnWithDictionary();
}

// ---- Fonts

void ViewController::setDocumentName(const QString &name) {
    const bool changed = name != documentName_;
    documentName_ = name;
    if (changed && isViewLoaded())
        windowState_->readDocumentFont(documentName_);
}

void ViewController::setFont(const std::optional<QFont> &font) {
    if (font)
        windowState_->setSelectedFont(*font);
}

void ViewController::changeFont(QObject *sender) {
    auto *manager = qobject_cast<FontManager *>(sender);
    setFont((manager ? manager : &FontManager::shared())->convertFont(selectedFont()));
}

void ViewController::revertToDefaultFont(QObject *) {
    const QFont font = systemFont();
    if (font.family() == selectedFont().family() && font.pointSizeF() == selectedFont().pointSizeF())
        return;
    setFont(font);
}

// ---- Edit state

void ViewController::setEditState(bool editState) {
    windowState_->setEditState(editState);
}

void ViewController::editStateDidChange(bool editState) {
    if (editState)
        separatorBorderWidth_ = 2.0;
    if (redSeparator_) {
        const QString colour = editState ? QStringLiteral("#ff3b30") : QStringLiteral("#8e8e93");
        redSeparator_->setFixedHeight(separatorBorderWidth_ > 0 ? int(separatorBorderWidth_) : 1);
        redSeparator_->setStyleSheet(
            QStringLiteral("QFrame#redSeparator { background: %1; border: none; }").arg(colour));
    }
    findBarController_->setEditState(editState);
    contactsViewController_->updateTable();
    if (contactInfoVisible_)
        contactInfoController_->updateTable();
}

bool ViewController::validateMenuItem(MenuItem *item) {
    return validation_.validate(*item, item->action()).value_or(true);
}

void ViewController::setRepresentedObject(const QVariant &object) {
    ::ViewController::setRepresentedObject(object);
    groupViewController_->setContainerTable(containerTable());
    groupViewController_->setSelectedGroupDict(selectedGroupDict_);
    groupViewController_->updateTable();
    contactsViewController_->setContactTable(contactTable_);
    contactsViewController_->setSubContactTableDirty(true);
    contactsViewController_->reloadData();
    UserDefaults &defaults = UserDefaults::standard();
    if (!defaults.object(ShowGroupViewKey).isValid()) {
        applyDefaultFrame(100);
        defaults.setBool(true, ShowGroupViewKey);
        emit groupViewShouldShow(true);
    }
    contactsViewController_->tableView()->setFocus();
}

void ViewController::setDocumentEdited() {
    if (Window *window = this->window())
        window->setDocumentEdited(true);
}

// ---- Contacts table delegate

void ViewController::rowSelectionDidChange(const SubContactRowPtr &row) {
    if (!row)
        return;
    if (contactTable_) {
        const auto entry =
            std::find_if(contactTable_->cbegin(), contactTable_->cend(),
                         [&](const ContactEntry &e) { return e.uniqueId == row->uniqueId && !e.deleted; });
        if (entry != contactTable_->cend()) {
            ContactEntry shown = *entry;
            shown.groupNames = groupNamesOfContact(row->uniqueId);
            row->groupNames = shown.groupNames;
            contactInfoController_->setContact(&shown);
            ++contactsShown_;
        }
    }
    if (!editState())
        contactInfoController_->updateWebView();
    FindTarget target = selectedItemAndRange().value_or(FindTarget());
    const QList<SubContactRowPtr> selected = contactsViewController_->selectedSubContacts();
    const SubContactRowPtr first = selected.isEmpty() ? row : selected.first();
    target.contact = first->person;
    target.uniqueId = first->uniqueId;
    target.identifier = FieldId::Name;
    target.subIdentifier.clear();
    target.labelIndex = first->labelIndex;
    target.range = {0, 0};
    target.itemRange = {};
    windowState_->setFindTarget(target);
}

void ViewController::sortDescriptorsDidChange(const QList<SortDescriptor> &sortDescriptors) {
    if (sortDescriptors.isEmpty() || !contactTable_)
        return;
    const SortDescriptor &descriptor = sortDescriptors.first();
    const auto [identifier, key] = SortOptions::separateSortKeyIntoIdentifierAndKey(descriptor.key);
    if (identifier.isEmpty() || key.isEmpty() || !reorderedIdentifiers().contains(identifier))
        return;
    bool reordered = false;
    for (ContactEntry &entry : *contactTable_) {
        if (entry.person && entry.person->sortForIdentifier(identifier, key, descriptor.ascending)) {
            entry.person->setChanged(true);
            entry.changed = true;
            reordered = true;
        }
    }
    if (reordered)
        setDocumentEdited();
}

QString ViewController::selectedGroupName() {
    return selectedGroupDict_ ? selectedGroupDict_->name : QString();
}

// ---- Detail panel delegate

void ViewController::contactDidUpdate(const ContactEntry &contact, ContactInfoController *sender) {
    contactDidUpdate(contact, static_cast<QObject *>(sender));
}

void ViewController::rowSelectionDidChange(ContactInfoController *, const InfoTableRow &row) {
    moveFindTargetToRow(row);
}

void ViewController::moveFindTargetToRow(const InfoTableRow &row) {
    FindTarget target = selectedItemAndRange().value_or(FindTarget());
    target.identifier = row.type;
    if (row.labelIndex && *row.labelIndex == 0 && row.label) {
        target.subIdentifier = *row.label;
        target.labelIndex = 0;
    } else {
        target.subIdentifier.clear();
        target.labelIndex = row.labelIndex && *row.labelIndex != -1 ? *row.labelIndex : 0;
    }
    target.range = {0, 0};
    target.itemRange = {};
    windowState_->setFindTarget(target);
}

// ---- Contact popover delegate

void ViewController::contactDidUpdate(const ContactEntry &contact, ContactInfoPopover *sender) {
    contactDidUpdate(contact, static_cast<QObject *>(sender));
}

void ViewController::rowSelectionDidChange(ContactInfoPopover *, const InfoTableRow &row) {
    moveFindTargetToRow(row);
}

void ViewController::detachedWindowDidClose(const DetachedWindowInfo &info) {
    contactsViewController_->detachedWindowDidClose(info);
}

// ---- Group list delegate

void ViewController::groupSelectionDidChange(const SharedGroup &group) {
    if (!group)
        return;
    selectedGroupDict_ = group;
    contactTable_ = group->contactTable;
    contactsViewController_->setContactTable(contactTable_);
    contactsViewController_->updateTable();
    if (contactWindows_)
        contactWindows_->closeAllDetachedWindows();
}

void ViewController::groupNameWillChange(const QString &name, const SharedGroup &group) {
    // The edited group, which need not be the selected one; a rename is unsaved work.
    if (name.isEmpty() || !group)
        return;
    undoChangeGroupName(name, group);
    setDocumentEdited();
}

QStringList ViewController::groupNamesOfContact(const QString &uniqueId) const {
    QStringList names;
    if (!containerTable() || !selectedGroupDict_)
        return names;
    for (const ContainerRecord &container : std::as_const(*containerTable())) {
        if (!container.groups.contains(selectedGroupDict_))
            continue;
        for (const SharedGroup &group : container.groups) {
            if (group->deleted || !group->contactTable)
                continue;
            const bool holds =
                std::any_of(group->contactTable->cbegin(), group->contactTable->cend(),
                            [&](const ContactEntry &e) { return e.uniqueId == uniqueId && !e.deleted; });
            if (holds && !names.contains(group->name))
                names.append(group->name);
        }
        break;
    }
    return names;
}

} // namespace tessarin
