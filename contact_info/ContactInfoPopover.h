#pragma once

#include "contact_info/ContactInfoController.h"
#include "platform/ui/Popover.h"
#include "platform/ui/Window.h"

#include <QPointer>

#include <memory>
#include <optional>

class QFrame;
class QLineEdit;
class QPushButton;
class UndoManager;
class ContactInfoPopover;

// What a contact popover says when its view goes away or its OK button is pressed: the
// shown contact's uniqueId and, in the shapes that name one, a window (which may be none).
struct DetachedWindowInfo {
    QString uniqueId;
    std::optional<Window *> window;
};

// What a contact popover reports to the window's main view: changes, its selected row, its
// going away, and every undoable edit made in it, which the main view's edits carry out.
class ContactInfoPopoverDelegate {
public:
    using PersonPtr = std::shared_ptr<QMPerson>;

    virtual ~ContactInfoPopoverDelegate() = default;
    virtual void contactDidUpdate(const ContactEntry &contact, ContactInfoPopover *sender) = 0;
    virtual void rowSelectionDidChange(ContactInfoPopover *sender, const InfoTableRow &row) = 0;
    virtual void detachedWindowDidClose(const DetachedWindowInfo &info) = 0;
    virtual bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) = 0;
    virtual bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                              const PersonPtr &contact) = 0;
    virtual bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) = 0;
    virtual bool undoReplacePhoto(const FieldValue &value, const PersonPtr &contact) = 0;
    virtual bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier,
                                         const PersonPtr &contact, QObject *sender) = 0;
    virtual bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                        const PersonPtr &contact, QObject *sender) = 0;
    virtual void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier,
                                     const PersonPtr &contact, QObject *sender) = 0;
    virtual bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                                     const PersonPtr &contact, QObject *sender) = 0;
};

// One contact shown and edited beside its row of the contacts table, in a popover that can
// be torn off into a window of its own. Its field table is a detail panel of its own (the
// rows, cells and heights are the panel's); around it the popover has its own Edit/Lock and
// OK buttons, the Delete key, Undo and Redo on the document's undo manager, and hands every
// edit to its delegate. Its edit state starts as the opener's and then follows its own
// button.
class ContactInfoPopover : public ViewController, public ContactInfoControllerDelegate {
    Q_OBJECT
public:
    using PersonPtr = ContactInfoPopoverDelegate::PersonPtr;
    static inline const QString IconRowCountKey = QStringLiteral("QM1DiconRowCount");
    static constexpr QSize contentSize{450, 640};

    explicit ContactInfoPopover(QObject *parent = nullptr);
    ~ContactInfoPopover() override;

    // Not owned: the main view outlives the popovers and windows its table opens.
    ContactInfoPopoverDelegate *delegate() const { return delegate_; }
    void setDelegate(ContactInfoPopoverDelegate *delegate) { delegate_ = delegate; }

    QPushButton *editButton();
    QFrame *redSeparator();
    QLineEdit *contactNameField();
    QTableView *tableView();
    QPushButton *okButton();
    // The field table, a detail panel of the popover's own.
    ContactInfoController *contactInfo() const { return contactInfo_; }

    const std::optional<ContactEntry> &contact() const { return contactInfo_->contact(); }
    QString uniqueId() const;
    void setContact(const ContactEntry *contact);
    QFont selectedFont() const { return contactInfo_->selectedFont(); }
    void setSelectedFont(const QFont &font);
    bool editState() const { return state_->editState(); }
    void setEditState(bool editState);
    const QList<CustomItemDefinition> &customItems() const { return state_->customItemsOrEmpty(); }
    void setCustomItems(const QList<CustomItemDefinition> &items) { state_->setCustomItems(items); }
    // The document window while in a popover; the detached window once torn off.
    Window *parentWindow() const { return parentWindow_; }
    void setParentWindow(Window *window) { parentWindow_ = window; }
    Popover *parentPopover() const { return parentPopover_; }
    void setParentPopover(Popover *popover) { parentPopover_ = popover; }
    UndoManager *myUndoManager() const { return myUndoManager_; }
    void setMyUndoManager(UndoManager *manager) { myUndoManager_ = manager; }
    // The window whose document owns the undo manager: in a detached window, Undo and Redo
    // set its edited mark too, so the document's mark never says what its undo stack does not.
    void setDocumentWindow(Window *window) { documentWindow_ = window; }
    qint64 iconRowCount() const { return contactInfo_->iconRowCount(); }

    // The Edit/Lock button and the OK button.
    void buttonDidPress(QObject *sender);
    // The Delete key on the selected row: its value goes, undoably, while editing.
    void deleteSelectedValue();
    void undo();
    void redo();
    void sendContactDidUpdate();
    // A match of another contact selects row 0: the popover keeps its contact.
    void selectItemAndRange(const FindTarget &target);
    void updateTable();
    // Starts editing the first row of the field in place.
    void editForIdentifier(const QString &identifier) { contactInfo_->editForIdentifier(identifier); }

    // ---- Edits made in the popover, passed on to the delegate (the popover as sender)
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) override;
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact) override;
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) override;
    bool undoReplacePhoto(const FieldValue &value, const PersonPtr &contact) override;
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact);
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact);
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier, const PersonPtr &contact);
    bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                             const PersonPtr &contact);

    // ---- The field table's reports, and its edits: the popover's own
    void contactDidUpdate(const ContactEntry &contact, ContactInfoController *sender) override;
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *) override {
        return undoReplaceStringValue(value, identifier, contact);
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *) override {
        return undoReplaceLabeledValue(value, identifier, contact);
    }
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier, const PersonPtr &contact,
                             QObject *) override {
        undoAddLabeledValue(value, identifier, contact);
    }
    bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex, const PersonPtr &contact,
                                             QObject *) override {
        return undoDeleteLabeledValueForIdentifier(identifier, labelIndex, contact);
    }
    void rowSelectionDidChange(ContactInfoController *sender, const InfoTableRow &row) override;

    bool validateMenuItem(MenuItem *item) override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

protected:
    QWidget *loadView() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showEditState(bool editState);
    void readIconRowCount();
    void replayUndo(void (UndoManager::*replay)());
    PersonPtr person() const;

    ContactInfoPopoverDelegate *delegate_ = nullptr;
    WindowState *state_;
    ContactInfoController *contactInfo_;
    QPointer<Window> parentWindow_;
    QPointer<Popover> parentPopover_;
    QPointer<UndoManager> myUndoManager_;
    QPointer<Window> documentWindow_;

    QPushButton *editButton_ = nullptr;
    QFrame *redSeparator_ = nullptr;
    QLineEdit *contactNameField_ = nullptr;
    QPushButton *okButton_ = nullptr;
};

// The window a contact popover is torn off into; its content is a contact popover of its own.
class DetachedWindowController : public WindowController {
    Q_OBJECT
public:
    explicit DetachedWindowController(QObject *parent = nullptr);
    ContactInfoPopover *contactInfoPopover() const { return popover_; }

protected:
    void windowDidLoad() override;

private:
    ContactInfoPopover *popover_;
};
