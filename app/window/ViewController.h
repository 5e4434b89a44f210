#pragma once

#include "app/edits/DocumentEdits.h"
#include "contact_info/ContactInfoController.h"
#include "contacts_table/ContactsViewController.h"
#include "contacts_table/GroupViewController.h"
#include "editors/NameViewController.h"
#include "find/FindBarActions.h"
#include "find/FindBarController.h"
#include "model/ContactContainers.h"
#include "model/FindTarget.h"
#include "model/ViewTypes.h"
#include "platform/ui/ViewController.h"
#include "state/ActionIds.h"
#include "state/SharedSettings.h"
#include "state/WindowState.h"

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QVariantMap>

#include <memory>
#include <optional>

class QFrame;
class MergePanelController;
class QRCodePanelController;
class UndoManager;

namespace tessarin {

// The content of a document window and the hub of its panes: the group list, the contacts
// table and the detail panel side by side in a split view, under the separator line that
// turns red while the window is unlocked. It owns the document's tables from the hand-over
// on, pushes font, edit state and filters down to the panes and answers their reports.
class ViewController : public ::ViewController,
                       public ContactsViewControllerDelegate,
                       public ContactInfoControllerDelegate,
                       public GroupViewControllerDelegate,
                       public NameViewControllerDelegate,
                       public ContactInfoPopoverDelegate,
                       public FindBarDelegate,
                       public FindBarWindow,
                       public DocumentEditsObserver {
    Q_OBJECT
public:
    static inline const QString ShowGroupViewKey = QStringLiteral("QM1DshowGroupView");

    explicit ViewController(QObject *parent = nullptr);
    ~ViewController() override;

    // ---- Tables handed over by the document
    std::shared_ptr<ContainerTable> containerTable() const { return edits_->containerTable(); }
    void setContainerTable(std::shared_ptr<ContainerTable> table) { edits_->setContainerTable(std::move(table)); }
    SharedContactTable contactTable() const { return contactTable_; }
    void setContactTable(SharedContactTable table) { contactTable_ = std::move(table); }
    SharedGroup selectedGroupDict() const override { return selectedGroupDict_; }
    void setSelectedGroupDict(SharedGroup group) { selectedGroupDict_ = std::move(group); }

    // ---- The window's state and the settings shared by the windows, which the panes observe
    WindowState *windowState() const { return windowState_; }
    SharedSettings *settings() const { return settings_.get(); }
    const std::shared_ptr<SharedSettings> &sharedSettings() const { return settings_; }
    const QStringList &selectedLabels() const { return settings_->selectedLabels(); }
    const QString &selectedViewType() const { return settings_->selectedViewType(); }
    const QList<CustomItemDefinition> &customItems() const { return windowState_->customItemsOrEmpty(); }
    bool contactInfoVisible() const override { return contactInfoVisible_; }
    void setContactInfoVisible(bool visible) { contactInfoVisible_ = visible; }
    QString documentName() const { return documentName_; }
    // Reads the document's font again: its keys carry the name.
    void setDocumentName(const QString &name);
    bool newWindow() const { return newWindow_; }
    void setNewWindow(bool on) { newWindow_ = on; }
    const QString &findString() const { return windowState_->findString(); }
    const std::optional<FindTarget> &selectedItemAndRange() const { return windowState_->findTarget(); }

    // ---- Panes
    SplitViewController *splitViewController() const { return splitViewController_; }
    GroupViewController *groupViewController() const { return groupViewController_; }
    ContactsViewController *contactsViewController() const { return contactsViewController_; }
    ContactInfoController *contactInfoController() const { return contactInfoController_; }
    FindBarController *findBarController() const { return findBarController_; }
    QFrame *redSeparator() const { return redSeparator_; }
    // The group list's frame; zero wide while its pane is collapsed.
    QRect groupViewFrame() const;

    // ---- Fonts
    const QFont &selectedFont() const { return windowState_->selectedFont(); }
    static QFont systemFont() { return WindowState::systemFont(); }
    // The per-document font keys: bare for an unnamed document and for "AddressBook".
    QString fontNameKey() const { return WindowState::fontNameKey(documentName_); }
    QString fontSizeKey() const { return WindowState::fontSizeKey(documentName_); }
    void setFont(const std::optional<QFont> &font);
    void changeFont(QObject *sender);
    void revertToDefaultFont(QObject *sender);

    // ---- Edit state
    bool editState() const { return windowState_->editState(); }
    void setEditState(bool editState);

    bool validateMenuItem(MenuItem *item) override;
    // Rebuilds the panes from the tables held (the document's hand-over ends with it).
    void setRepresentedObject(const QVariant &object) override;
    void saveColumnWithDictionary();

    // ---- Life cycle
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

    // ---- Contacts table delegate
    void rowSelectionDidChange(const SubContactRowPtr &row) override;
    // Reorders the values inside the shown contacts when the sort column is multi-valued.
    void sortDescriptorsDidChange(const QList<SortDescriptor> &sortDescriptors) override;
    QString selectedGroupName() override;
    void beginDeferringRefreshes() override { edits_->beginDeferringRefreshes(); }
    void endDeferringRefreshes() override { edits_->endDeferringRefreshes(); }
    NameViewControllerDelegate *nameViewControllerDelegate() override { return this; }
    ContactInfoPopoverDelegate *contactInfoPopoverDelegate() override { return this; }

    // ---- Detail panel delegate
    void contactDidUpdate(const ContactEntry &contact, ContactInfoController *sender) override;
    void rowSelectionDidChange(ContactInfoController *sender, const InfoTableRow &row) override;

    // ---- Contact popover delegate
    void contactDidUpdate(const ContactEntry &contact, ContactInfoPopover *sender) override;
    void rowSelectionDidChange(ContactInfoPopover *sender, const InfoTableRow &row) override;
    void detachedWindowDidClose(const DetachedWindowInfo &info) override;

    // ---- Group list delegate
    void groupSelectionDidChange(const SharedGroup &group) override;
    void addContactByStringIndexes(const QString &stringIndexes, const SharedGroup &group) override;
    void groupNameWillChange(const QString &name, const SharedGroup &group) override;
    // The names of the live groups of the selected group's container holding the contact.
    QStringList groupNamesOfContact(const QString &uniqueId) const override;

    // ==== Undoable edits (DocumentEdits), group and contact commands, pane notifications
    // (ViewControllerCommands.cpp, ViewControllerNotifications.cpp)
    // Every change of a document's contacts and groups goes through the edits; the panes and
    // editors reach them here, as the delegate of each.
    DocumentEdits *edits() const { return edits_; }
    using PersonPtr = DocumentEdits::PersonPtr;

    void undo(QObject *sender);
    void redo(QObject *sender);

    void undoAddContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) {
        edits_->undoAddContacts(contacts, group);
    }
    void undoDeleteContacts(const QList<ContactEntry> &contacts, const SharedGroup &group, bool doUndo) {
        edits_->undoDeleteContacts(contacts, group, doUndo);
    }
    void undoAddGroup(const SharedGroup &group, const QString &containerIdentifier) {
        edits_->undoAddGroup(group, containerIdentifier);
    }
    void undoDeleteGroup(const SharedGroup &group, const QString &containerIdentifier) {
        edits_->undoDeleteGroup(group, containerIdentifier);
    }
    bool undoChangeGroupName(const QString &name, const SharedGroup &group) {
        return edits_->undoChangeGroupName(name, group);
    }
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) override {
        return edits_->undoReplaceNameValue(value, contact);
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value, const PersonPtr &contact) override {
        return edits_->undoReplacePhoneticNameValue(value, contact);
    }
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) override {
        return edits_->undoReplaceBirthday(value, contact);
    }
    bool undoReplacePhoto(const FieldValue &value, const PersonPtr &contact) override {
        return edits_->undoReplacePhoto(value, contact);
    }
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *sender) override {
        return edits_->undoReplaceStringValue(value, identifier, contact, sender);
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *sender) override {
        return edits_->undoReplaceLabeledValue(value, identifier, contact, sender);
    }
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier, const PersonPtr &contact,
                             QObject *sender) override {
        edits_->undoAddLabeledValue(value, identifier, contact, sender);
    }
    bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                             const PersonPtr &contact, QObject *sender) override {
        return edits_->undoDeleteLabeledValueForIdentifier(identifier, labelIndex, contact, sender);
    }
    void undoReplacePersonByContacts(const QList<ContactEntry> &contacts, const QList<ContactEntry> &fromContacts) {
        edits_->undoReplacePersonByContacts(contacts, fromContacts);
    }

    void addGroup(QObject *sender);
    void deleteGroup(QObject *sender);
    void addContact(QObject *sender);
    void deleteContacts(QObject *sender);
    void duplicateContacts(QObject *sender);
    // The same for the contacts the table's context menu names.
    void deleteContacts(const QList<ContactEntry> &contacts) override;
    void duplicateContacts(const QList<ContactEntry> &contacts) override;
    void exportContacts(const QList<ContactEntry> &contacts) override { emit contactsShouldExport(contacts); }

    // Every way contacts enter the window (new, duplicated, imported, dropped, pasted): the
    // window state registers the custom items they carry, so their columns and exports know
    // them, then the contacts are added to the group as one undo step and the window is
    // marked edited.
    void addContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) override;
    void registerSelectionUndo(const QList<ContactEntry> &selected);
    // Adds the cards to the group, the selected group when none is given.
    void addContactByVCardString(const QString &vCardString, const SharedGroup &group = nullptr) override;
    // Any pane (the detail panel, the popover, the table, this controller for a merge).
    void contactDidUpdate(const ContactEntry &contact, QObject *sender);
    ContactWindows *contactWindows() const { return contactWindows_; }
    void setContactWindows(ContactWindows *windows) { contactWindows_ = windows; }
    ContainerRecord *containerWithIdentifier(const QString &identifier) const {
        return edits_->containerWithIdentifier(identifier);
    }

    // ---- What the edits changed, shown in the panes
    void contactValueDidChange(const QString &identifier, const PersonPtr &contact) override;
    void contactValuesDidChange(const QStringList &identifiers, const QList<PersonPtr> &contacts) override;
    void contactsDidChange(const QList<ContactEntry> &contacts, const SharedGroup &group, bool removed) override;
    void groupsDidChange(const SharedGroup &selected) override;
    void contactDidMerge(const ContactEntry &contact) override;
    // ==== End of edits

    // ==== The find bar (ViewControllerFind.cpp): its delegate, and the window it asks
    void showFindBar(bool show);
    // The Edit > Find items; the item's title tells which.
    void performFindBarAction(QObject *sender);
    void findStringDidChange(const QString &text) override;
    void findBarButtonDidPress(const QString &command) override;
    std::optional<FindTarget> findNextString(const QString &findString, bool contactInfoVisible) {
        return findBarActions_->findNextString(findString, contactInfoVisible);
    }
    std::optional<FindTarget> findPreviousString(const QString &findString, bool contactInfoVisible) {
        return findBarActions_->findPreviousString(findString, contactInfoVisible);
    }
    bool replaceByString(const QString &replacement, const FindTarget &target) {
        return findBarActions_->replaceByString(replacement, target);
    }
    bool replaceAll(const QString &replacement, Qt::CaseSensitivity caseSensitivity) {
        return findBarActions_->replaceAll(replacement, caseSensitivity);
    }
    SharedContactTable findContactTable() const override { return contactTable_; }
    void setDocumentEdited() override;
    void findBarButtonClicked() override { emit findBarButtonShouldClick(); }
    void setFindBarButtonTitle(const QString &title) override { emit findBarButtonTitleShouldChange(title); }
    void findBarDidShowOrHide() override { emit findBarButtonShouldEnable(); }
    // ==== End of the find bar

    // ==== Windows and sheets of the folders above the panes (ViewControllerPanels.cpp)
    // The find window over the selected group's contacts, run application-modally. Its
    // changes refresh the panes once, when it has closed.
    void showFindPanel(QObject *sender);
    // The QR code sheet of the row's contact, asked for by the contacts table.
    void showQRCodePanel(const SubContactRowPtr &row) override;
    QRCodePanelController *qrCodePanelController() const;
    // The merge sheet on the first two of the table's contacts; Done after a change applies
    // both results as one undo step.
    void showMergePanel(const QList<ContactEntry> &contacts) override;
    MergePanelController *mergePanelController() const;

signals:
    // The group list's pane should show or hide, as the window controller does it.
    void groupViewShouldShow(bool show);
    // The toolbar's find button, which the window controller owns: pressed, retitled, and
    // enabled again once the bar has shown or hidden.
    void findBarButtonShouldClick();
    void findBarButtonTitleShouldChange(const QString &title);
    void findBarButtonShouldEnable();
    // The window's Export as vCard should write these contacts.
    void contactsShouldExport(const QList<ContactEntry> &contacts);

protected:
    QWidget *loadView() override;

private:
    void replayUndo(void (UndoManager::*replay)());
    void updateDetachedWindowsOf(const QList<PersonPtr> &contacts);
    void updateContactInfoShowing(const QList<PersonPtr> &contacts, int shownBefore);
    // Counts the table's selections shown in the detail panel.
    int contactsShown_ = 0;
    // A detail row selected in the panel or a popover starts the next find there.
    void moveFindTargetToRow(const InfoTableRow &row);
    void showGroupsAndSelect(const SharedGroup &group);
    void registerEditActions();
    void registerPanelActions();
    // The table's commands that the window's menus send while another pane has the focus.
    static const QStringList &tableCommands();
    ContactWindows *contactWindows_ = nullptr;

    // Shows a default-sized window at the top left of the screen's visible area, or cascaded
    // from the document window in front.
    void applyDefaultFrame(int topMargin);
    void setUpFindBar();
    // The separator and the panes' refresh that follow a change of the edit state.
    void editStateDidChange(bool editState);
    bool appeared_ = false;
    double separatorBorderWidth_ = 0.0;

    ValidationTable<MenuItem> validation_;
    std::shared_ptr<SharedSettings> settings_;
    WindowState *windowState_ = nullptr;
    DocumentEdits *edits_ = nullptr;
    SharedContactTable contactTable_;
    SharedGroup selectedGroupDict_;
    bool contactInfoVisible_ = false;
    QString documentName_;
    bool newWindow_ = false;

    SplitViewController *splitViewController_ = nullptr;
    GroupViewController *groupViewController_ = nullptr;
    ContactsViewController *contactsViewController_ = nullptr;
    ContactInfoController *contactInfoController_ = nullptr;
    FindBarController *findBarController_ = nullptr;
    FindBarActions *findBarActions_ = nullptr;
    QPointer<QFrame> redSeparator_;
    QPointer<QRCodePanelController> qrCodePanelController_;
    QPointer<MergePanelController> mergePanelController_;
};

} // namespace tessarin
