#pragma once

#include "contact_info/ContactInfoController.h"
#include "contacts_table/ContactsViewController.h"
#include "contacts_table/GroupViewController.h"
#include "model/ContactContainers.h"
#include "model/FindTarget.h"
#include "model/ViewTypes.h"
#include "platform/ui/ViewController.h"
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
class UndoManager;

namespace tessarin {

// The contact popover and the detached contact windows that the contacts table opens.
// The main view asks them to open, refresh and close; a window without them does nothing.
class ContactWindows {
public:
    virtual ~ContactWindows() = default;
    // Opens the popover for the selected row; a non-empty option starts editing its name.
    virtual void showContactInfoPopoverWithOption(const QString &option) = 0;
    // Refreshes the open popover when it is the sender.
    virtual void updatePopoverIfSender(QObject *sender) = 0;
    virtual void updateDetachedWindows(const QString &uniqueId) = 0;
    // Closes the popover showing one of the contacts and their detached windows.
    virtual void closeContactWindows(const QSet<QString> &uniqueIds) = 0;
    virtual void closeAllDetachedWindows() = 0;
};

// The content of a document window and the hub of its panes: the group list, the contacts
// table and the detail panel side by side in a split view, under the separator line that
// turns red while the window is unlocked. It owns the document's tables from the hand-over
// on, pushes font, edit state and filters down to the panes and answers their reports.
class ViewController : public ::ViewController,
                       public ContactsViewControllerDelegate,
                       public ContactInfoControllerDelegate,
                       public GroupViewControllerDelegate {
    Q_OBJECT
public:
    static inline const QString ShowGroupViewKey = QStringLiteral("QM1DshowGroupView");

    explicit ViewController(QObject *parent = nullptr);
    ~ViewController() override;

    // ---- Tables handed over by the document
    std::shared_ptr<ContainerTable> containerTable() const { return containerTable_; }
    void setContainerTable(std::shared_ptr<ContainerTable> table) { containerTable_ = std::move(table); }
    SharedContactTable contactTable() const { return contactTable_; }
    void setContactTable(SharedContactTable table) { contactTable_ = std::move(table); }
    SharedGroup selectedGroupDict() const { return selectedGroupDict_; }
    void setSelectedGroupDict(SharedGroup group) { selectedGroupDict_ = std::move(group); }

    // ---- The window's state and the settings shared by the windows, which the panes observe
    WindowState *windowState() const { return windowState_; }
    SharedSettings *settings() const { return settings_.get(); }
    const std::shared_ptr<SharedSettings> &sharedSettings() const { return settings_; }
    const QStringList &selectedLabels() const { return settings_->selectedLabels(); }
    const QString &selectedViewType() const { return settings_->selectedViewType(); }
    const QList<CustomItemDefinition> &customItems() const { return windowState_->customItemsOrEmpty(); }
    bool contactInfoVisible() const { return contactInfoVisible_; }
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

    // ---- Detail panel delegate
    void contactDidUpdate(const ContactEntry &contact, ContactInfoController *sender) override;
    void rowSelectionDidChange(ContactInfoController *sender, const InfoTableRow &row) override;

    // ---- Group list delegate
    void groupSelectionDidChange(const SharedGroup &group) override;
    void addContactByStringIndexes(const QString &stringIndexes, const SharedGroup &group) override;
    void groupNameWillChange(const QString &name, const SharedGroup &group) override;
    // The names of the live groups of the selected group's container holding the contact.
    QStringList groupNamesOfContact(const QString &uniqueId) const;

    // ==== Undoable edits, group and contact commands, pane notifications
    // (ViewControllerEditing.cpp, ViewControllerCommands.cpp, ViewControllerNotifications.cpp)
    // Every change of a document's contacts and groups goes through these operations; each
    // registers its inverse before it changes anything. Contact values take the contact's
    // record; the sender is handed to the inverse unread.
    using PersonPtr = std::shared_ptr<QMPerson>;

    void undo(QObject *sender);
    void redo(QObject *sender);

    void undoAddContacts(const QList<ContactEntry> &contacts, const SharedGroup &group);
    void undoDeleteContacts(const QList<ContactEntry> &contacts, const SharedGroup &group, bool doUndo);
    void undoAddGroup(const SharedGroup &group, const QString &containerIdentifier);
    void undoDeleteGroup(const SharedGroup &group, const QString &containerIdentifier);
    bool undoChangeGroupName(const QString &name, const SharedGroup &group);

    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact);
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact);
    // A null value clears the birthday; anything but a birthday record is refused.
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact);
    // A null value clears the photo; anything but an image is refused.
    bool undoReplacePhoto(const FieldValue &value, const PersonPtr &contact);
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *sender);
    // Null empties the field, a list replaces it, one record replaces the value of its label index.
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *sender);
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier,
                             const PersonPtr &contact, QObject *sender);
    bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                             const PersonPtr &contact, QObject *sender);
    // The merge result: each old contact takes the values of the new one at its position, as
    // one undo step.
    void undoReplacePersonByContacts(const QList<ContactEntry> &contacts,
                                     const QList<ContactEntry> &fromContacts);

    void addGroup(QObject *sender);
    void deleteGroup(QObject *sender);
    void addContact(QObject *sender);
    void deleteContacts(QObject *sender);
    void duplicateContacts(QObject *sender);

    // Adds the cards to the group, the selected group when none is given.
    void addContactByVCardString(const QString &vCardString, const SharedGroup &group = nullptr) override;
    // Any pane (the detail panel, the popover, the table, this controller for a merge).
    void contactDidUpdate(const ContactEntry &contact, QObject *sender);
    ContactWindows *contactWindows() const { return contactWindows_; }
    void setContactWindows(ContactWindows *windows) { contactWindows_ = windows; }
    ContainerRecord *containerWithIdentifier(const QString &identifier) const;
    // ==== End of edits

signals:
    // The group list's pane should show or hide, as the window controller does it.
    void groupViewShouldShow(bool show);

protected:
    QWidget *loadView() override;

private:
    // The change an add or a removal of contacts made, so that its inverse undoes exactly it.
    struct GroupMarks {
        SharedGroup group;
        bool wasChanged = false;
        QList<qsizetype> clearedDeleted; // positions whose "deleted" mark this change cleared
        QList<qsizetype> setDeleted;     // positions it marked deleted
        QList<ContactEntry> appended;    // records it appended at the end
    };
    using ContactsChange = QList<GroupMarks>;
    ContactsChange planAddContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) const;
    ContactsChange planDeleteContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) const;
    static void applyChange(const ContactsChange &change);
    static void revertChange(const ContactsChange &change);
    void contactsChangedEffects(const QList<ContactEntry> &contacts, const SharedGroup &group, bool removed);
    void registerUndo(std::function<void(ViewController *)> inverse);
    void replayUndo(void (UndoManager::*replay)());
    QString kindForIdentifier(QMPerson &person, const QString &identifier) const;
    void refreshColumn(const QString &identifier);
    bool undoReplacePhotoData(const QByteArray &data, const PersonPtr &contact);
    void registerLabeledValueInverse(const FieldValue &former, const QString &identifier,
                                     const PersonPtr &contact, QObject *sender);
    void showGroupsAndSelect(const SharedGroup &group);
    void registerEditActions();
    ContactWindows *contactWindows_ = nullptr;

    // Shows a default-sized window at the top left of the screen's visible area.
    void applyDefaultFrame(int topMargin);
    void setDocumentEdited();
    // The separator and the panes' refresh that follow a change of the edit state.
    void editStateDidChange(bool editState);
    bool appeared_ = false;
    double separatorBorderWidth_ = 0.0;

    std::shared_ptr<SharedSettings> settings_;
    WindowState *windowState_ = nullptr;
    std::shared_ptr<ContainerTable> containerTable_;
    SharedContactTable contactTable_;
    SharedGroup selectedGroupDict_;
    bool contactInfoVisible_ = false;
    QString documentName_;
    bool newWindow_ = false;

    SplitViewController *splitViewController_ = nullptr;
    GroupViewController *groupViewController_ = nullptr;
    ContactsViewController *contactsViewController_ = nullptr;
    ContactInfoController *contactInfoController_ = nullptr;
    QPointer<QFrame> redSeparator_;
};

} // namespace tessarin
