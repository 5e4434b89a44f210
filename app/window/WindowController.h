#pragma once

#include "app/transfer/TransferWindow.h"
#include "model/ContactContainers.h"
#include "model/PersonRecords.h"
#include "model/ViewTypes.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"
#include "state/SharedSettings.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>
#include <QVariantMap>

class ContactInfoController;
class ContactsViewController;
class CustomItemPanel;
class CustomLabelPanelController;
class GroupViewController;
class SplitViewController;

namespace tessarin {

class ExportCommand;
class ImportCommand;
class ImportPanelController;
class ProgressAlert;
class ViewController;

// The two pane buttons of the toolbar: segment 0 the group list, segment 1 the detail panel.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(int segmentCount, QWidget *parent = nullptr);
    int segmentCount() const { return int(buttons_.size()); }
    QToolButton *segment(int index) const { return buttons_.value(index); }
    int selectedSegment() const { return selected_; }
    void setSelected(bool selected, int segment);
    void setImage(const QImage &image, int segment);
    // What a click on the segment does.
    void press(int segment);

signals:
    void pressed(int segment);

private:
    QList<QToolButton *> buttons_;
    int selected_ = -1;
};

// The controller of a document window: its toolbar (the View Type, Items, Labels, Sort
// Options, Contact and Group pull-downs, the pane buttons and the edit button), the
// window's view settings kept in the user defaults, the side panes, the edit state's
// switch and the validation of the window's menu items. The pull-downs' menus are also
// the submenus of the matching items of the window's "Navigate" menu.
class WindowController : public ::WindowController, public MenuDelegate, public TransferWindow {
    Q_OBJECT
public:
    static inline const QString &SortOptionsDictKey = SortOptions::SortOptionsDictKey;
    static inline const QString &SortOptionsDefaultKey = SortOptions::SortOptionsDefaultKey;
    static inline const QString &VCardType = ContentTypes::VCard;
    static inline const QString &CSVType = ContentTypes::CommaSeparatedText;
    // The cross-fade between the detail panel's field table and its card.
    static constexpr int EditFadeMilliseconds = 1000;
    // The group list reloads once its pane has opened.
    static constexpr int GroupReloadDelayMilliseconds = 500;

    explicit WindowController(QObject *parent = nullptr);
    ~WindowController() override;

    // Tests turn the edit button's cross-fade off.
    static void setAnimationsEnabled(bool on);
    static bool animationsEnabled();

    // ---- Toolbar controls
    QToolBar *toolbar() const { return toolbar_; }
    PullDownButton *groupsPopup() const { return groupsPopup_; }
    PullDownButton *viewTypePopup() const { return viewTypePopup_; }
    PullDownButton *itemsPopup() const { return itemsPopup_; }
    PullDownButton *labelsPopup() const { return labelsPopup_; }
    PullDownButton *contactPopup() const { return contactPopup_; }
    PullDownButton *sortOptionsPopup() const { return sortOptionsPopup_; }
    QToolButton *editButton() const { return editButton_; }
    QToolButton *findBarButton() const { return findBarButton_; }
    SegmentedControl *splitButtons() const { return splitButtons_; }

    // ---- The window's panes
    ViewController *mainViewController() const { return mainViewController_; }
    SplitViewController *splitViewController() const { return splitViewController_; }
    GroupViewController *groupViewController() const { return groupViewController_; }
    ContactsViewController *contactsViewController() const override { return contactsViewController_; }
    ContactInfoController *contactInfoController() const { return contactInfoController_; }

    // ---- View settings: the window's content holds the settings the windows share and
    // this window's state.
    SharedSettings *settings() const { return settings_.get(); }
    const ViewTypeTable &viewTypeDict() const { return settings()->viewTypeDict(); }
    const QString &selectedViewType() const { return settings()->selectedViewType(); }
    const QStringList &selectedLabels() const { return settings()->selectedLabels(); }
    const SortOptionsTable &sortOptionsDict() const { return settings()->sortOptionsDict(); }
    // Nothing until the first gathering from the contacts.
    const std::optional<QList<CustomItemDefinition>> &customItems() const;
    // Set from an import or export command until its panels and progress run have ended.
    bool isExporting() const { return *isExporting_; }

    // ---- Window life cycle
    void windowDidLoad() override;
    void windowDidBecomeKey() override;
    bool windowShouldClose(Window *window) override;
    void windowWillClose() override;
    bool validateMenuItem(MenuItem *item) override;
    void menuNeedsUpdate(Menu *menu) override;
    void setSplitButtonState(bool state, int index);

    // ---- View types, items and labels
    void initViewTypeMenu();
    void initItemsMenu();
    void viewTypePopupSelected(MenuItem *item);
    void itemsPopupSelected(MenuItem *item);
    void labelsPopupSelected(MenuItem *item);
    void updateCustomItems();
    void startCustomItems();
    // Asks whether to export the changes of an edited window: Export… closes once the file
    // is written, Don't Export closes, Cancel (or a cancelled or failed export) keeps it.
    bool shouldCloseWithChanges();
    // The Items menu, the stored view types and the sort options follow the window's items.
    void customItemsDidChange();
    // Puts "Name" back in the stored view types and takes out the columns of the custom items
    // the window has deleted; the columns of other files' items stay.
    void updateViewTypeDict();

    // ---- Sort options
    void initSortOptionsDict();
    void initSortOptionsMenu();
    void sortOptionsSelected(MenuItem *item);

    // ---- Panes, edit button, contact and group menus
    void showContactInfo(bool show);
    void toggleContactInfo();
    void showGroupView(bool show);
    void toggleGroupView();
    void editButtonClicked();
    void splitButtonsPressed(int segment);
    // Shows the find bar, or hides it leaving the search as it is; the button waits for the
    // bar to finish.
    void findBarButtonClicked();
    void initContactMenu();
    void initGroupMenu();
    void initSplitButttons();
    static QImage splitButtonImageWithSize(QSize size, const QColor &color, int side);

    // ---- Print, custom labels and custom items (WindowControllerPanels.cpp)
    // The print panel on the selected rows, with the columns this window shows.
    void printDocument();
    // Opens the custom label sheet, or ends it when it is shown.
    void showCustomLabelPanel();
    void showCustomItems();
    // One of each per window, made on first use.
    CustomLabelPanelController *customLabelPanelController() const;
    CustomItemPanel *customItemPanel() const;

    // ---- Import and export: the commands of app/transfer; isExporting guards all four
    ImportCommand *importCommand() const { return importCommand_; }
    ExportCommand *exportCommand() const { return exportCommand_; }
    // Made on first use and kept for the window's later commands.
    ProgressAlert *progressAlert() override;
    ImportPanelController *importPanelController() override;
    Window *transferWindow() override { return window(); }
    SharedGroup shownGroup() const override;
    SharedContactTable shownContactTable() const override;
    DocumentEdits *documentEdits() const override;
    void addContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) override;
    QList<CustomItemDefinition> windowCustomItems() const override;
    QString documentFolder() const override;

protected:
    Window *loadWindow() override;

private:
    // Makes the menu the submenu of "Navigate" > title in the window's main menu, if there.
    void hangUnderNavigate(Menu *menu, const QString &title);
    void localizeMenuTitles();
    void rebuildLabelsMenu(Menu *menu);
    void updateGroupMenu(Menu *menu);
    bool isGroupViewCollapsed() const;
    // Fades the detail panel from one of its views to the other.
    void crossFadeDetailPanel(bool toCard);
    // The open windows, whose custom items all keep their columns in the shared view types.
    static QList<WindowController *> &openWindowControllers();

    QPointer<QToolBar> toolbar_;
    QPointer<PullDownButton> groupsPopup_;
    QPointer<PullDownButton> viewTypePopup_;
    QPointer<PullDownButton> itemsPopup_;
    QPointer<PullDownButton> labelsPopup_;
    QPointer<PullDownButton> contactPopup_;
    QPointer<PullDownButton> sortOptionsPopup_;
    QPointer<QToolButton> editButton_;
    QPointer<QToolButton> findBarButton_;
    QPointer<SegmentedControl> splitButtons_;

    void makeValidationTable();
    void registerPanelActions();
    void customLabelPanelDidEnd(int code);
    void customItemPanelDidEnd(int code);

    ValidationTable<MenuItem> validation_;
    QPointer<ViewController> mainViewController_;
    SplitViewController *splitViewController_ = nullptr;
    GroupViewController *groupViewController_ = nullptr;
    ContactsViewController *contactsViewController_ = nullptr;
    ContactInfoController *contactInfoController_ = nullptr;

    std::shared_ptr<SharedSettings> settings_;
    std::shared_ptr<bool> isExporting_ = std::make_shared<bool>(false);
    ImportCommand *importCommand_ = nullptr;
    ExportCommand *exportCommand_ = nullptr;
    QPointer<ProgressAlert> progressAlert_;
    QPointer<ImportPanelController> importPanelController_;
    QPointer<CustomLabelPanelController> customLabelPanelController_;
    QPointer<CustomItemPanel> customItemPanel_;
    // The custom items as the view types were last cleaned, to tell which ones went.
    QStringList customItemNames_;
};

} // namespace tessarin
