#include "app/window/WindowController.h"

#include "app/reading/ProgressAlert.h"
#include "app/transfer/ExportCommand.h"
#include "app/transfer/ImportCommand.h"
#include "app/transfer/ImportPanelController.h"
#include "app/window/ViewController.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/FontManager.h"

#include <QApplication>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPainter>
#include <QPropertyAnimation>

namespace tessarin {

namespace {

bool animations = true;

QString localized(const QString &text) {
    return L(text.toUtf8().constData());
}

PullDownButton *makePullDown(QToolBar *toolbar, const QString &name) {
    auto *button = new PullDownButton(toolbar);
    button->setObjectName(name);
    button->setPullDownMenu(new Menu);
    toolbar->addWidget(button);
    return button;
}

} // namespace

// ---- Pane buttons

SegmentedControl::SegmentedControl(int segmentCount, QWidget *parent)
    : QWidget(parent) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < segmentCount; ++i) {
        auto *button = new QToolButton(this);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setIconSize(QSize(26, 26));
        connect(button, &QToolButton::clicked, this, [this, i] { press(i); });
        layout->addWidget(button);
        buttons_.append(button);
    }
}

void SegmentedControl::setSelected(bool selected, int segment) {
    if (QToolButton *button = buttons_.value(segment))
        button->setChecked(selected);
}

void SegmentedControl::setImage(const QImage &image, int segment) {
    if (QToolButton *button = buttons_.value(segment))
        button->setIcon(QIcon(QPixmap::fromImage(image)));
}

void SegmentedControl::press(int segment) {
    // The segments act as buttons: the panes' state is shown by the panes, not by a lit segment.
    setSelected(false, segment);
    selected_ = segment;
    emit pressed(segment);
}

// ---- Window controller

QList<WindowController *> &WindowController::openWindowControllers() {
    static QList<WindowController *> controllers;
    return controllers;
}

void WindowController::setAnimationsEnabled(bool on) {
    animations = on;
}

bool WindowController::animationsEnabled() {
    return animations;
}

WindowController::WindowController(QObject *parent)
    : ::WindowController(parent)
    , settings_(SharedSettings::shared()) {
    const auto item = [](QObject *sender) { return qobject_cast<MenuItem *>(sender); };
    registerAction(ActionId::ViewTypePopupSelected, [this, item](QObject *sender) { viewTypePopupSelected(item(sender)); });
    registerAction(ActionId::ItemsPopupSelected, [this, item](QObject *sender) { itemsPopupSelected(item(sender)); });
    registerAction(ActionId::LabelsPopupSelected, [this, item](QObject *sender) { labelsPopupSelected(item(sender)); });
    registerAction(ActionId::SortOptionsSelected, [this, item](QObject *sender) { sortOptionsSelected(item(sender)); });
    registerAction(ActionId::ToggleContactInfo, [this](QObject *) { toggleContactInfo(); });
    registerAction(ActionId::ToggleGroupView, [this](QObject *) { toggleGroupView(); });
    registerAction(ActionId::EditButtonClicked, [this](QObject *) { editButtonClicked(); });
    registerAction(ActionId::FindBarButtonClicked, [this](QObject *) { findBarButtonClicked(); });
    importCommand_ = new ImportCommand(*this, isExporting_, this);
    exportCommand_ = new ExportCommand(*this, isExporting_, this);
    registerAction(ActionId::ImportFromVCard, [this](QObject *) { importCommand_->importFromVCard(); });
    registerAction(ActionId::ImportFromCSV, [this](QObject *) { importCommand_->importFromCSV(); });
    registerAction(ActionId::ExportToVCard, [this](QObject *) { exportCommand_->exportToVCard(); });
    registerAction(ActionId::ExportToCSV, [this](QObject *) { exportCommand_->exportToCSV(); });
    registerPanelActions();
    makeValidationTable();
    openWindowControllers().append(this);
}

WindowController::~WindowController() {
    openWindowControllers().removeAll(this);
}

ProgressAlert *WindowController::progressAlert() {
    if (!progressAlert_)
        progressAlert_ = new ProgressAlert(this);
    return progressAlert_;
}

ImportPanelController *WindowController::importPanelController() {
    if (!importPanelController_)
        importPanelController_ = new ImportPanelController(this);
    return importPanelController_;
}

SharedGroup WindowController::shownGroup() const {
    return mainViewController_ ? mainViewController_->selectedGroupDict() : nullptr;
}

SharedContactTable WindowController::shownContactTable() const {
    return mainViewController_ ? mainViewController_->contactTable() : nullptr;
}

DocumentEdits *WindowController::documentEdits() const {
    return mainViewController_ ? mainViewController_->edits() : nullptr;
}

void WindowController::addContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) {
    if (mainViewController_)
        mainViewController_->addContacts(contacts, group);
}

QList<CustomItemDefinition> WindowController::windowCustomItems() const {
    return mainViewController_ ? mainViewController_->customItems() : QList<CustomItemDefinition>();
}

QString WindowController::documentFolder() const {
    const QUrl url = document() ? document()->fileURL() : QUrl();
    return url.isLocalFile() ? QFileInfo(url.toLocalFile()).absolutePath() : QString();
}

const std::optional<QList<CustomItemDefinition>> &WindowController::customItems() const {
    static const std::optional<QList<CustomItemDefinition>> none;
    return mainViewController_ ? mainViewController_->windowState()->customItems() : none;
}

Window *WindowController::loadWindow() {
    // The window comes with its content, as a window and its scene come together.
    Window *window = ::WindowController::loadWindow();
    window->setContentViewController(new ViewController(this));
    return window;
}

void WindowController::windowDidLoad() {
    Window *window = this->window();
    mainViewController_ = qobject_cast<ViewController *>(contentViewController());

    toolbar_ = new QToolBar(window);
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(16, 16));
    window->addToolBar(Qt::TopToolBarArea, toolbar_);
    groupsPopup_ = makePullDown(toolbar_, QStringLiteral("groupsPopup"));
    splitButtons_ = new SegmentedControl(2, toolbar_);
    splitButtons_->setObjectName(QStringLiteral("splitButtons"));
    toolbar_->addWidget(splitButtons_);
    connect(splitButtons_, &SegmentedControl::pressed, this, &WindowController::splitButtonsPressed);
    toolbar_->addSeparator();
    viewTypePopup_ = makePullDown(toolbar_, QStringLiteral("viewTypePopup"));
    itemsPopup_ = makePullDown(toolbar_, QStringLiteral("itemsPopup"));
    labelsPopup_ = makePullDown(toolbar_, QStringLiteral("labelsPopup"));
    sortOptionsPopup_ = makePullDown(toolbar_, QStringLiteral("sortOptionsPopup"));
    toolbar_->addSeparator();
    contactPopup_ = makePullDown(toolbar_, QStringLiteral("contactPopup"));
    auto *spacer = new QWidget(toolbar_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar_->addWidget(spacer);
    findBarButton_ = new QToolButton(toolbar_);
    findBarButton_->setObjectName(QStringLiteral("findBarButton"));
    findBarButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(findBarButton_, &QToolButton::clicked, this, [this] { findBarButtonClicked(); });
    toolbar_->addWidget(findBarButton_);
    editButton_ = new QToolButton(toolbar_);
    editButton_->setObjectName(QStringLiteral("editButton"));
    editButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(editButton_, &QToolButton::clicked, this, [this] { editButtonClicked(); });
    toolbar_->addWidget(editButton_);
    if (mainViewController_) {
        editButton_->setText(mainViewController_->editState() ? L("Lock") : L("Edit"));
        connect(mainViewController_->windowState(), &WindowState::editStateChanged, this, [this](bool editState) {
            if (editButton_)
                editButton_->setText(editState ? L("Lock") : L("Edit"));
        });
        // Contacts added later may bring custom items: their columns and sort options too.
        connect(mainViewController_->windowState(), &WindowState::customItemsChanged, this,
                &WindowController::customItemsDidChange);
        connect(mainViewController_, &ViewController::groupViewShouldShow, this, &WindowController::showGroupView);
        connect(mainViewController_, &ViewController::findBarButtonShouldClick, this,
                &WindowController::findBarButtonClicked);
        connect(mainViewController_, &ViewController::findBarButtonTitleShouldChange, this,
                [this](const QString &title) {
                    if (findBarButton_)
                        findBarButton_->setText(title);
                });
        connect(mainViewController_, &ViewController::findBarButtonShouldEnable, this, [this] {
            if (findBarButton_)
                findBarButton_->setEnabled(true);
        });
        // The table's own export is the window's, for the contacts its menu names.
        connect(mainViewController_, &ViewController::contactsShouldExport, this,
                [this](const QList<ContactEntry> &contacts) { exportCommand_->exportToVCard(contacts); });
    }

    if (settings()->viewTypeDict().isEmpty())
        logError("windowDidLoad", QStringLiteral("Error viewTypeDict is nil"));

    localizeMenuTitles();
    initViewTypeMenu();
    initItemsMenu();
    menuNeedsUpdate(labelsPopup_->pullDownMenu());
    labelsPopup_->pullDownMenu()->setDelegate(this);
    initSortOptionsMenu();
    initContactMenu();
    initGroupMenu();
    groupsPopup_->pullDownMenu()->setDelegate(this);
    initSplitButttons();
    findBarButton_->setText(L("Find"));

    if (mainViewController_) {
        splitViewController_ = mainViewController_->splitViewController();
        groupViewController_ = mainViewController_->groupViewController();
        contactsViewController_ = mainViewController_->contactsViewController();
        contactInfoController_ = mainViewController_->contactInfoController();
    }
    setSplitButtonState(false, 1);
}

void WindowController::localizeMenuTitles() {
    Menu *mainMenu = window()->mainMenu();
    if (!mainMenu)
        return;
    const auto localizeItems = [](Menu *menu) {
        if (!menu)
            return;
        for (MenuItem *item : menu->itemArray())
            if (!item->title().isEmpty())
                item->setTitle(localized(item->title()));
    };
    const QStringList titles = {QCoreApplication::applicationName(),
                                QStringLiteral("File"),
                                QStringLiteral("Edit"),
                                QStringLiteral("Format"),
                                QStringLiteral("Navigate"),
                                QStringLiteral("View"),
                                QStringLiteral("Window"),
                                QStringLiteral("Help")};
    for (const QString &title : titles)
        if (MenuItem *item = mainMenu->itemWithTitle(localized(title)))
            localizeItems(item->submenu());
    const auto inner = [&](const QString &outer, const QString &title) {
        if (MenuItem *item = mainMenu->itemWithTitle(localized(outer)); item && item->submenu())
            if (MenuItem *sub = item->submenu()->itemWithTitle(localized(title)))
                localizeItems(sub->submenu());
    };
    inner(QStringLiteral("Edit"), QStringLiteral("Find"));
    inner(QStringLiteral("Format"), QStringLiteral("Font"));
}

void WindowController::hangUnderNavigate(Menu *menu, const QString &title) {
    Menu *mainMenu = window()->mainMenu();
    MenuItem *navigate = mainMenu ? mainMenu->itemWithTitle(L("Navigate")) : nullptr;
    if (!navigate || !navigate->submenu())
        return;
    if (MenuItem *item = navigate->submenu()->itemWithTitle(title))
        item->setSubmenu(menu);
}

void WindowController::windowDidBecomeKey() {
    if (mainViewController_)
        FontManager::shared().setTarget(mainViewController_);
}

bool WindowController::windowShouldClose(Window *) {
    if (!shouldCloseWithChanges())
        return false;
    if (labelsPopup_)
        labelsPopup_->pullDownMenu()->setDelegate(nullptr);
    if (groupsPopup_)
        groupsPopup_->pullDownMenu()->setDelegate(nullptr);
    return true;
}

// The document's file is never rewritten: changes leave only through an export, so a window
// with changes offers one before they are lost.
bool WindowController::shouldCloseWithChanges() {
    if (!window()->isDocumentEdited())
        return true;
    Alert alert;
    alert.messageText = L("Do you want to export the changes made in “%1”?")
                            .arg(document() ? document()->displayName() : window()->windowTitle());
    alert.informativeText = L("Your changes are lost if you don't export them.");
    alert.addButtonWithTitle(L("Export…"));
    alert.addButtonWithTitle(L("Don't Export"));
    alert.addButtonWithTitle(L("Cancel"));
    switch (alert.runModal(window())) {
    case AlertFirstButtonReturn:
        return exportCommand_->exportAllContacts();
    case AlertSecondButtonReturn:
        return true;
    default:
        return false;
    }
}

void WindowController::windowWillClose() {
    if (!mainViewController_)
        return;
    mainViewController_->saveColumnWithDictionary();
    mainViewController_->windowState()->storeEditState();
}

void WindowController::setSplitButtonState(bool, int) {}

bool WindowController::validateMenuItem(MenuItem *item) {
    return validation_.validate(*item, item->action()).value_or(::WindowController::validateMenuItem(item));
}

void WindowController::makeValidationTable() {
    // Rules that tick or retitle an item leave the enabling to the base controller.
    const auto base = [this](MenuItem &item) { return ::WindowController::validateMenuItem(&item); };
    const auto ticked = [base](MenuItem &item, bool on) {
        item.setState(on ? StateOn : StateOff);
        return base(item);
    };
    const auto contactsSelected = [this](MenuItem &) {
        return contactsViewController_ && !contactsViewController_->selectedSubContacts().isEmpty();
    };
    validation_ = {
        {ActionId::ViewTypePopupSelected,
         [this, ticked](MenuItem &item) {
             return ticked(item, item.representedObject().toString() == selectedViewType());
         }},
        {ActionId::ItemsPopupSelected,
         [this, ticked](MenuItem &item) {
             const QVariant object = item.representedObject();
             return ticked(item, object.isValid() &&
                                     settings()->columnsOfViewType(selectedViewType()).contains(object.toString()));
         }},
        {ActionId::LabelsPopupSelected,
         [this, ticked](MenuItem &item) {
             return ticked(item, selectedLabels().contains(item.representedObject().toString()));
         }},
        {ActionId::SortOptionsSelected,
         [this, base](MenuItem &item) {
             const Menu *menu = item.parentMenu();
             const MenuItem *parent = menu ? menu->supermenuItem() : nullptr;
             if (parent && parent->representedObject().isValid()) {
                 const SortOptions::Entry entry = sortOptionsDict().value(parent->representedObject().toString());
                 item.setState(item.representedObject().toString() == entry.selected ? StateOn : StateOff);
             }
             return base(item);
         }},
        {ActionId::ToggleContactInfo,
         [this, base](MenuItem &item) {
             const bool visible = mainViewController_ && mainViewController_->contactInfoVisible();
             item.setTitle(visible ? L("Hide Contact Info") : L("Show Contact Info"));
             return base(item);
         }},
        {ActionId::ToggleGroupView,
         [this, base](MenuItem &item) {
             if (isGroupViewCollapsed() && item.title() == L("Hide Group"))
                 item.setTitle(L("Show Group"));
             else if (!isGroupViewCollapsed() && item.title() == L("Show Group"))
                 item.setTitle(L("Hide Group"));
             return base(item);
         }},
        {ActionId::EditButtonClicked,
         [this, ticked](MenuItem &item) {
             return ticked(item, mainViewController_ && mainViewController_->editState());
         }},
        {ActionId::FindBarButtonClicked,
         [this, base](MenuItem &item) {
             const bool visible =
                 mainViewController_ && mainViewController_->findBarController()->isVisible();
             item.setTitle(visible ? L("Hide") : L("Show"));
             return base(item);
         }},
        {ActionId::PrintDocument, contactsSelected},
        {ActionId::ExportToVCard, contactsSelected},
        {ActionId::ExportToCSV, [](MenuItem &) { return false; }},
        {ActionId::ImportFromVCard,
         [this](MenuItem &) { return !document() || document()->fileType() == VCardType; }},
    };
}

void WindowController::menuNeedsUpdate(Menu *menu) {
    if (labelsPopup_ && menu == labelsPopup_->pullDownMenu())
        rebuildLabelsMenu(menu);
    else if (groupsPopup_ && menu == groupsPopup_->pullDownMenu())
        updateGroupMenu(menu);
}

// ---- Panes

bool WindowController::isGroupViewCollapsed() const {
    const SplitViewItem *item =
        splitViewController_ ? splitViewController_->splitViewItems().value(0) : nullptr;
    return !item || item->isCollapsed();
}

void WindowController::showContactInfo(bool show) {
    if (!mainViewController_ || !splitViewController_)
        return;
    SplitViewItem *item = splitViewController_->splitViewItems().value(2);
    if (!show) {
        if (!item->isCollapsed()) {
            item->setCollapsed(true, true);
            contactsViewController_->tableView()->setFocus();
        }
        mainViewController_->setContactInfoVisible(false);
        setSplitButtonState(false, 1);
        return;
    }
    if (!item->isCollapsed() && mainViewController_->contactInfoVisible())
        return;
    item->setCollapsed(false, true);
    if (mainViewController_->editState()) {
        contactInfoController_->showCard(false);
        contactInfoController_->tableView()->setFocus();
    } else {
        contactInfoController_->updateWebView();
        contactInfoController_->showCard(true);
    }
    mainViewController_->setContactInfoVisible(true);
    setSplitButtonState(true, 1);
}

void WindowController::toggleContactInfo() {
    showContactInfo(!(mainViewController_ && mainViewController_->contactInfoVisible()));
}

void WindowController::findBarButtonClicked() {
    if (!mainViewController_ || !findBarButton_)
        return;
    const bool visible = mainViewController_->findBarController()->isVisible();
    findBarButton_->setText(visible ? L("Find") : L("Hide"));
    findBarButton_->setEnabled(false);
    mainViewController_->showFindBar(!visible);
}

void WindowController::showGroupView(bool show) {
    if (!splitViewController_ && mainViewController_)
        splitViewController_ = mainViewController_->splitViewController();
    if (!splitViewController_)
        return;
    SplitViewItem *item = splitViewController_->splitViewItems().value(0);
    if (show && item->isCollapsed()) {
        item->setCollapsed(false, true);
        QPointer<GroupViewController> groups = mainViewController_->groupViewController();
        Dispatch::after(
            GroupReloadDelayMilliseconds,
            [groups] {
                if (groups) {
                    groups->updateTable();
                    groups->outlineView()->setFocus();
                }
            },
            this);
    } else if (!show && !item->isCollapsed()) {
        item->setCollapsed(true, true);
        if (mainViewController_)
            mainViewController_->contactsViewController()->tableView()->setFocus();
    }
    setSplitButtonState(show, 0);
}

void WindowController::toggleGroupView() {
    const bool show = isGroupViewCollapsed();
    showGroupView(show);
    UserDefaults::standard().setBool(show, ViewController::ShowGroupViewKey);
}

void WindowController::splitButtonsPressed(int segment) {
    if (segment == 0)
        toggleGroupView();
    else if (segment == 1)
        toggleContactInfo();
}

void WindowController::crossFadeDetailPanel(bool toCard) {
    QWidget *panel = contactInfoController_->view();
    // The view leaving stays on top as a picture that fades out; clicks pass through it.
    QPixmap leaving;
    if (animationsEnabled() && panel->isVisible())
        leaving = panel->grab();
    contactInfoController_->showCard(toCard);
    if (leaving.isNull())
        return;
    auto *overlay = new QLabel(panel);
    overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    overlay->setPixmap(leaving);
    overlay->setGeometry(panel->rect());
    auto *effect = new QGraphicsOpacityEffect(overlay);
    overlay->setGraphicsEffect(effect);
    overlay->show();
    auto *fade = new QPropertyAnimation(effect, "opacity", overlay);
    fade->setDuration(EditFadeMilliseconds);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    connect(fade, &QPropertyAnimation::finished, overlay, &QObject::deleteLater);
    fade->start();
}

void WindowController::editButtonClicked() {
    if (!mainViewController_)
        return;
    if (Document *document = this->document(); document && document->fileType() == CSVType) {
        Alert alert;
        alert.messageText =
            L("If you edit the CSV file, the format will change to vCard and the name will reset.");
        // The File menu's own command, so that the advice names what the menu shows.
        alert.informativeText =
            L("The name can be set when you select the contacts and choose '%1' in the File menu.")
                .arg(L("Export as vCard…"));
        alert.addButtonWithTitle(L("OK"));
        alert.addButtonWithTitle(L("Cancel"));
        if (alert.runModal(window()) != AlertFirstButtonReturn)
            return;
        document->setDisplayName(QFileInfo(document->fileURL().toLocalFile()).completeBaseName());
        document->setFileURL(QUrl());
        document->setFileType(VCardType);
    }
    const bool editing = !mainViewController_->editState();
    if (mainViewController_->contactInfoVisible()) {
        if (editing)
            contactInfoController_->updateTable();
        else
            contactInfoController_->updateWebView();
        crossFadeDetailPanel(!editing);
    }
    mainViewController_->setEditState(editing);
    mainViewController_->windowState()->storeEditState();
}

// ---- Contact and group menus

void WindowController::initContactMenu() {
    Menu *menu = contactPopup_->pullDownMenu();
    menu->removeAllItems();
    menu->addItem(L("Contact"));
    menu->addItem(L("Contact"));
    MenuItem *info = menu->addItem(L("Hide Contact Info"), ActionId::ToggleContactInfo,
                                   QKeySequence(CommandKeyModifier | Qt::ShiftModifier | Qt::Key_I));
    info->setIcon(QIcon::fromTheme(QStringLiteral("user-identity")));
    menu->addItem(L("Show QRCode"), ActionId::ShowQRCode);
    menu->addItem(MenuItem::separatorItem());
    menu->addItem(L("Add New Contact"), ActionId::AddContact);
    menu->addItem(L("Delete Contacts"), ActionId::DeleteContacts);
    menu->addItem(L("Duplicate Contacts"), ActionId::DuplicateContacts);
    menu->addItem(L("Merge Contacts"), ActionId::MergeContacts);
    menu->addItem(L("Export Contacts as vCard"), ActionId::ExportToVCard);
    menu->addItem(MenuItem::separatorItem());
    // The layouts are named by their samples, in every language.
    auto *normalize = new Menu(L("Normalize Phone Numbers"));
    for (const char *sample : {"(12) 3456-7890", "(123) 456-7890", "(1234) 56-7890", "(12) 34 56 78 90",
                               "090-1234-5678", "0120-123-456"})
        normalize->addItem(QString::fromLatin1(sample), ActionId::NormalizePhoneNumber);
    menu->addItem(L("Normalize Phone Numbers"))->setSubmenu(normalize);
    menu->addItem(MenuItem::separatorItem());
    menu->addItem(L("Show Company in the Name Cell"), ActionId::ToggleShowCompany);
    contactPopup_->synchronizeTitle();
    hangUnderNavigate(menu, L("Contact"));
}

void WindowController::initGroupMenu() {
    Menu *menu = groupsPopup_->pullDownMenu();
    menu->removeAllItems();
    menu->addItem(L("Group"));
    menu->addItem(L("Hide Group"), ActionId::ToggleGroupView)
        ->setIcon(QIcon::fromTheme(QStringLiteral("system-users")));
    menu->addItem(MenuItem::separatorItem());
    menu->addItem(L("Selected Group"), ActionId::ToggleGroupView);
    menu->addItem(MenuItem::separatorItem());
    menu->addItem(L("Add Group"), ActionId::AddGroup);
    menu->addItem(L("Delete Group"), ActionId::DeleteGroup);
    menu->addItem(MenuItem::separatorItem());
    groupsPopup_->synchronizeTitle();
    hangUnderNavigate(menu, L("Group"));
}

void WindowController::updateGroupMenu(Menu *menu) {
    MenuItem *item = menu->itemAtIndex(3);
    if (!item)
        return;
    const SharedGroup group = mainViewController_ ? mainViewController_->selectedGroupDict() : nullptr;
    item->setTitle(group ? QStringLiteral("%1:%2").arg(group->containerName, group->name)
                         : L("Group not selected"));
}

void WindowController::initSplitButttons() {
    const QColor colour = QApplication::palette().color(QPalette::Highlight);
    splitButtons_->setImage(splitButtonImageWithSize(QSize(26, 26), colour, 0), 0);
    splitButtons_->setImage(splitButtonImageWithSize(QSize(26, 26), colour, 1), 1);
    splitButtons_->setSelected(false, 0);
}

QImage WindowController::splitButtonImageWithSize(QSize size, const QColor &color, int side) {
    const double w = size.width();
    const double h = size.height();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setPen(QPen(color, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(w / 4, h / 4, w / 2, h / 2));
    // The picture is symmetric top to bottom, so top-down coordinates give the same bar.
    const double x = side == 0 ? w / 4 : 7 * w / 12;
    painter.fillRect(QRectF(x, h / 4, w / 6, h / 2), color);
    return image;
}

} // namespace tessarin
