#pragma once

#include "model/ContactContainers.h"

#include <QObject>
#include <QPointer>
#include <QSet>

#include <functional>
#include <memory>
#include <optional>

class UndoManager;
class WindowState;

namespace tessarin {

// What the edits tell the window showing the document, after each change: the window
// refreshes what shows it. While refreshes are deferred (a BulkEdit), the edits collect
// these and tell them once when the last deferral ends.
class DocumentEditsObserver {
public:
    virtual ~DocumentEditsObserver() = default;
    // A value of the contact changed in the field of this identifier.
    virtual void contactValueDidChange(const QString &identifier, const std::shared_ptr<QMPerson> &contact) = 0;
    // Values of these contacts changed in the fields of these identifiers (a deferred bulk
    // edit); each contact and identifier once.
    virtual void contactValuesDidChange(const QStringList &identifiers,
                                        const QList<std::shared_ptr<QMPerson>> &contacts) = 0;
    // Contacts were added to the group, or removed from it.
    virtual void contactsDidChange(const QList<ContactEntry> &contacts, const SharedGroup &group,
                                   bool removed) = 0;
    // The groups of a container changed; `selected` is the group to show, none to keep
    // the selection.
    virtual void groupsDidChange(const SharedGroup &selected) = 0;
    // A merge result was applied to the contact.
    virtual void contactDidMerge(const ContactEntry &contact) = 0;
};

// The undoable edit operations of a document: the only way its contacts and groups change
// outside the merge sheet. Each registers its own inverse with the document's undo manager
// before it changes anything, so Undo runs the inverse and Redo the operation again. They
// work on the document's container table and the contacts' records alone (no widget);
// the observer shows the result. Refusals log "ERROR" and register nothing.
class DocumentEdits : public QObject {
    Q_OBJECT
public:
    using PersonPtr = std::shared_ptr<QMPerson>;
    using UndoManagerSource = std::function<UndoManager *()>;

    // The state gives the window's custom items, which name the kind of a field a contact
    // does not carry; the source gives the document's undo manager when there is one.
    DocumentEdits(const WindowState *state, UndoManagerSource undoManager, QObject *parent = nullptr);

    std::shared_ptr<ContainerTable> containerTable() const { return containerTable_; }
    void setContainerTable(std::shared_ptr<ContainerTable> table) { containerTable_ = std::move(table); }
    ContainerRecord *containerWithIdentifier(const QString &identifier) const;
    DocumentEditsObserver *observer() const { return observer_; }
    void setObserver(DocumentEditsObserver *observer) { observer_ = observer; }
    UndoManager *undoManager() const;

    // ---- Deferred refreshes (BulkEdit). Nested deferrals end with the outermost; its end
    // tells the observer what changed, each kind of change once. Answers whether anything
    // changed while deferred (shown now, or by the outer deferral).
    void beginDeferringRefreshes() { ++deferral_; }
    bool endDeferringRefreshes();
    bool isDeferringRefreshes() const { return deferral_ > 0; }

    // ---- Contacts in groups and groups in containers
    void undoAddContacts(const QList<ContactEntry> &contacts, const SharedGroup &group);
    void undoDeleteContacts(const QList<ContactEntry> &contacts, const SharedGroup &group, bool doUndo);
    void undoAddGroup(const SharedGroup &group, const QString &containerIdentifier);
    void undoDeleteGroup(const SharedGroup &group, const QString &containerIdentifier);
    bool undoChangeGroupName(const QString &name, const SharedGroup &group);

    // ---- Values of a contact. The sender is handed to the inverse unread.
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact);
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value, const PersonPtr &contact);
    // A null value clears the birthday; anything but a birthday record is refused.
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact);
    // A null value clears the photo; anything but an image is refused.
    bool undoReplacePhoto(const FieldValue &value, const PersonPtr &contact);
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *sender);
    // Null empties the field, a list replaces it, one record replaces the value of its label index.
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *sender);
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier, const PersonPtr &contact,
                             QObject *sender);
    bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                             const PersonPtr &contact, QObject *sender);
    // The merge result: each old contact takes the values of the new one at its position, as
    // one undo step.
    void undoReplacePersonByContacts(const QList<ContactEntry> &contacts, const QList<ContactEntry> &fromContacts);

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
    void registerUndo(std::function<void(DocumentEdits *)> inverse);
    QString kindForIdentifier(const QMPerson &person, const QString &identifier) const;
    void contactValueDidChange(const QString &identifier, const PersonPtr &contact);
    void contactsDidChange(const QList<ContactEntry> &contacts, const SharedGroup &group, bool removed);
    void groupsDidChange(const SharedGroup &selected);
    bool undoReplacePhotoData(const QByteArray &data, const PersonPtr &contact);
    void registerLabeledValueInverse(const FieldValue &former, const QString &identifier, const PersonPtr &contact,
                                     QObject *sender);

    // What the observer is to hear once deferral ends.
    struct PendingRefresh {
        struct Contacts {
            QList<ContactEntry> contacts;
            SharedGroup group;
            bool removed = false;
        };
        QStringList identifiers;
        QList<PersonPtr> changed; // whose values changed, each once
        QSet<const QMPerson *> changedSet;
        QList<Contacts> contacts;
        std::optional<SharedGroup> groups; // the group to show, when groups changed
        bool isEmpty() const { return identifiers.isEmpty() && contacts.isEmpty() && !groups; }
    };

    const WindowState *state_;
    UndoManagerSource undoManager_;
    int deferral_ = 0;
    PendingRefresh pending_;
    std::shared_ptr<ContainerTable> containerTable_;
    DocumentEditsObserver *observer_ = nullptr;
};

// One bulk change of a document: while it lives, the edits' refreshes wait (a window of
// 100,000 contacts rebuilds its table's rows in about half a second, once per edit
// otherwise) and are told to the window once when it ends; the edits made meanwhile form
// one undo step unless they are left to group as they come (a window open over the
// document, whose own commands make their steps). The window defers Undo and Redo the
// same way, so a bulk step comes back and goes again with one refresh too.
class BulkEdit {
public:
    enum class Undo { OneStep, AsMade };

    explicit BulkEdit(DocumentEdits *edits, Undo undo = Undo::OneStep);
    ~BulkEdit() { end(); }
    BulkEdit(const BulkEdit &) = delete;
    BulkEdit &operator=(const BulkEdit &) = delete;

    // Closes the undo step and shows the changes; later calls do nothing. Answers whether
    // any edit was made meanwhile, so that a command whose table must be fresh anyway
    // refreshes it only when no edit did.
    bool end();

private:
    QPointer<DocumentEdits> edits_;
    QPointer<UndoManager> undoManager_;
    bool ended_ = false;
};

} // namespace tessarin
