#pragma once

#include "app/transfer/TransferWindow.h"
#include "model/ContactContainers.h"
#include "platform/contacts/CNFormatters.h"

#include <QObject>

#include <QByteArrayList>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tessarin {

// What the background vCard build reads: copies taken on the main thread, which nothing
// else sees, so the window may go on painting and changing its own records meanwhile.
// The contacts' copies share their values with the window's records (copy-on-write), so
// taking them copies no value and leaves the records as they were.
struct ExportSnapshot {
    ContactTable contacts;                    // each with a sharedCopy() of its contact
    std::optional<ContainerRecord> container; // group names and memberships only
    QList<CustomItemDefinition> customItems;  // the window's definitions
    CNContactsUserDefaults::Snapshot settings; // the contacts settings the cards are written with
};

// The entries of the shown group's table for the selected ones, in the selection's order;
// a selected entry the table lacks (or holds only deleted) is skipped, none is taken twice.
ContactTable contactsToExport(const QList<ContactEntry> &selection, const ContactTable &contactTable);

// Snapshots of the contacts, and copies of the container's live groups reduced to the
// identities of their entries (what the CATEGORIES lines need).
ExportSnapshot takeExportSnapshot(const ContactTable &contacts, const ContainerRecord *container,
                                  const QList<CustomItemDefinition> &customItems);

// The vCard text of the snapshot as UTF-8, in its order, in pieces to be written one after
// another: note, photo and custom items, and CATEGORIES for the container's groups. Pieces
// are built on several workers at once: the handler is called from any of them with the
// count of cards written so far minus one, and must be thread-safe. None when the handler
// stopped the build. The snapshot is let go on a worker.
std::optional<QByteArrayList> vCardDataFromSnapshot(std::shared_ptr<const ExportSnapshot> snapshot,
                                                    const std::function<void(bool *stop, quint64 index)> &progress);
// The same text, whole.
std::optional<QString> vCardsFromSnapshot(std::shared_ptr<const ExportSnapshot> snapshot,
                                          const std::function<void(bool *stop, quint64 index)> &progress);

// The proposed file name: the contact's name with what cannot stand in a file name
// ("/" and control characters) replaced by "-", then the suffix.
QString exportFileName(const QString &compositeName, const QString &suffix);

// Writes the text as UTF-8 through a temporary file beside the target, renamed over it
// only when complete: on any failure the target is left exactly as it was.
bool writeFileAtomically(const QString &path, const QString &text);
// The same for data already encoded, its pieces one after another.
bool writeFileAtomically(const QString &path, const QByteArrayList &data);

// File > Export as vCard… and Export as CSV…: the selected rows' distinct contacts written to
// the file the save panel names; a vCard file is built from a snapshot behind the progress
// window, and Cancel writes nothing.
class ExportCommand : public QObject {
    Q_OBJECT
public:
    // The window's commands share the busy flag.
    ExportCommand(TransferWindow &window, std::shared_ptr<bool> busy, QObject *parent);

    void exportToVCard();
    // The contacts given (the contacts table's own export), not the selection.
    void exportToVCard(const QList<ContactEntry> &contacts);
    void exportToCSV();
    // Every live contact of the window's all-contacts group, to the file the save panel
    // names (what closing a window with changes offers). Answers whether the file was written.
    bool exportAllContacts();

private:
    // The file the user chose for the contacts, and the contacts to write.
    struct Target {
        QString proposedName;
        QString path;
        ContactTable contacts;
    };
    QList<ContactEntry> selectedContacts() const;
    // None when there are no contacts or the panel was cancelled.
    std::optional<Target> chooseTarget(const QList<ContactEntry> &selection, const QString &nameFieldLabel,
                                       const QStringList &types, const QString &suffix);
    // The panel proposes the first contact's name; none when it was cancelled.
    std::optional<Target> chooseTarget(const QString &firstName, const ContactTable &contacts,
                                       const QString &nameFieldLabel, const QStringList &types,
                                       const QString &suffix);
    // Builds the vCard text behind the progress window, with the categories of the group's
    // container; a failure is shown, Cancel is not. Answers whether the file was written.
    bool writeVCards(const Target &target, const SharedGroup &group);

    TransferWindow &window_;
    std::shared_ptr<bool> busy_;
};

} // namespace tessarin
