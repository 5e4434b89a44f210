#pragma once

#include "contact_info/ContactInfoController.h"
#include "contacts_table/ContactsViewController.h"
#include "contacts_table/GroupViewController.h"
#include "model/ContactContainers.h"
#include "model/FindTarget.h"
#include "platform/ui/ViewController.h"

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QVariantMap>

#include <memory>
#include <optional>

class QFrame;

namespace tessarin {

class WindowController;

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
    static inline const QString SelectedLabelsKey = QStringLiteral("QM1DselectedLabels");
    static inline const QString ViewTypeDictKey = QStringLiteral("QM1DviewTypeDict");
    static inline const QString SelectedViewTypeKey = QStringLiteral("QM1DselectedViewType");
    static inline const QString LastEditStateKey = QStringLiteral("QM1DlastEditState");
    static inline const QString ShowGroupViewKey = QStringLiteral("QM1DshowGroupView");
    static inline const QString DefaultFontNameKey = QStringLiteral("QM1DdefaultFontName");
    static inline const QString DefaultFontSizeKey = QStringLiteral("QM1DdefaultFontSize");
    static inline const QString UnnamedDocument = QStringLiteral("AddressBook");
    static constexpr double MinimumFontSize = 7.0;
    static constexpr double DefaultFontSize = 12.0;

    explicit ViewController(QObject *parent = nullptr);
    ~ViewController() override;

    // ---- Tables handed over by the document
    std::shared_ptr<ContainerTable> containerTable() const { return containerTable_; }
    void setContainerTable(std::shared_ptr<ContainerTable> table) { containerTable_ = std::move(table); }
    SharedContactTable contactTable() const { return contactTable_; }
    void setContactTable(SharedContactTable table) { contactTable_ = std::move(table); }
    SharedGroup selectedGroupDict() const { return selectedGroupDict_; }
    void setSelectedGroupDict(SharedGroup group) { selectedGroupDict_ = std::move(group); }

    // ---- View settings
    QStringList selectedLabels() const { return selectedLabels_; }
    void setSelectedLabels(const QStringList &labels) { selectedLabels_ = labels; }
    QVariantMap viewTypeDict() const { return viewTypeDict_; }
    void setViewTypeDict(const QVariantMap &table) { viewTypeDict_ = table; }
    QString selectedViewType() const { return selectedViewType_; }
    void setSelectedViewType(const QString &viewType) { selectedViewType_ = viewType; }
    QList<CustomItemDefinition> customItems() const { return customItems_; }
    void setCustomItems(const QList<CustomItemDefinition> &items) { customItems_ = items; }
    bool contactInfoVisible() const { return contactInfoVisible_; }
    void setContactInfoVisible(bool visible) { contactInfoVisible_ = visible; }
    QString documentName() const { return documentName_; }
    // Reads the document's font again: its keys carry the name.
    void setDocumentName(const QString &name);
    bool newWindow() const { return newWindow_; }
    void setNewWindow(bool on) { newWindow_ = on; }
    QString findString() const { return findString_; }
    const std::optional<FindTarget> &selectedItemAndRange() const { return selectedItemAndRange_; }

    // ---- Panes
    SplitViewController *splitViewController() const { return splitViewController_; }
    GroupViewController *groupViewController() const { return groupViewController_; }
    ContactsViewController *contactsViewController() const { return contactsViewController_; }
    ContactInfoController *contactInfoController() const { return contactInfoController_; }
    QFrame *redSeparator() const { return redSeparator_; }
    // The group list's frame; zero wide while its pane is collapsed.
    QRect groupViewFrame() const;
    WindowController *mainWindowController() const;

    // ---- Fonts
    QFont selectedFont() const { return selectedFont_; }
    static QFont systemFont();
    // The per-document font keys: bare for an unnamed document and for "AddressBook".
    QString fontNameKey() const;
    QString fontSizeKey() const;
    void setFont(const std::optional<QFont> &font);
    void changeFont(QObject *sender);
    void revertToDefaultFont(QObject *sender);

    // ---- Edit state
    bool editState() const { return editState_; }
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

protected:
    QWidget *loadView() override;

private:
    // Shows a default-sized window at the top left of the screen's visible area.
    void applyDefaultFrame(int topMargin);
    void setDocumentEdited();
    FindTarget &findTarget();
    void readDocumentFont();
    bool appeared_ = false;
    double separatorBorderWidth_ = 0.0;

    std::shared_ptr<ContainerTable> containerTable_;
    SharedContactTable contactTable_;
    SharedGroup selectedGroupDict_;
    QStringList selectedLabels_;
    QVariantMap viewTypeDict_;
    QString selectedViewType_;
    QList<CustomItemDefinition> customItems_;
    bool contactInfoVisible_ = false;
    bool editState_ = true;
    QFont selectedFont_;
    QString documentName_;
    bool newWindow_ = false;
    QString findString_;
    std::optional<FindTarget> selectedItemAndRange_;

    SplitViewController *splitViewController_ = nullptr;
    GroupViewController *groupViewController_ = nullptr;
    ContactsViewController *contactsViewController_ = nullptr;
    ContactInfoController *contactInfoController_ = nullptr;
    QPointer<QFrame> redSeparator_;
};

} // namespace tessarin
