#include "app/transfer/ExportCommand.h"

#include "app/edits/DocumentEdits.h"
#include "app/reading/ProgressAlert.h"
#include "contacts_table/ContactsViewController.h"
#include "model/QMvCard.h"
#include "platform/core/Dispatch.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Dialogs.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace tessarin {

namespace {

// The selection when it is the table's own entries in the table's order (what a selection in
// the contacts table gives), matched in one walk without hashing every identifier; none when
// it is not.
std::optional<ContactTable> entriesInTableOrder(const QList<ContactEntry> &selection,
                                                const ContactTable &contactTable) {
    ContactTable contacts;
    contacts.reserve(selection.size());
    qsizetype at = 0;
    for (const ContactEntry &selected : selection) {
        while (at < contactTable.size() && contactTable[at].person != selected.person)
            ++at;
        if (at == contactTable.size() || contactTable[at].uniqueId != selected.uniqueId)
            return std::nullopt;
        if (!contactTable[at].deleted && contactTable[at].person)
            contacts.append(contactTable[at]);
        ++at;
    }
    return contacts;
}

} // namespace

ContactTable contactsToExport(const QList<ContactEntry> &selection, const ContactTable &contactTable) {
    if (std::optional<ContactTable> inOrder = entriesInTableOrder(selection, contactTable))
        return std::move(*inOrder);
    QHash<QString, qsizetype> positions;
    positions.reserve(contactTable.size());
    for (qsizetype i = 0; i < contactTable.size(); ++i)
        if (!contactTable[i].deleted && contactTable[i].person)
            positions.insert(contactTable[i].uniqueId, i);
    ContactTable contacts;
    QSet<QString> taken;
    taken.reserve(selection.size());
    for (const ContactEntry &selected : selection) {
        const auto found = positions.constFind(selected.uniqueId);
        if (found == positions.constEnd() || taken.contains(selected.uniqueId))
            continue;
        taken.insert(selected.uniqueId);
        contacts.append(contactTable[*found]);
    }
    return contacts;
}

namespace {

// Runs work(piece) for every piece in [0, count) on the worker pool and the calling thread,
// each piece claimed once by whichever thread is free. The calling thread works too and
// then waits only for pieces already claimed, so it finishes even when no worker is free.
void forEachPiece(qsizetype count, std::function<void(qsizetype piece)> work) {
    struct Pieces {
        std::function<void(qsizetype)> work;
        qsizetype count = 0;
        std::atomic<qsizetype> next{0};
        std::mutex mutex;
        std::condition_variable finished;
        qsizetype done = 0; // guarded by mutex

        void run() {
            for (qsizetype piece = next++; piece < count; piece = next++) {
                work(piece);
                std::lock_guard lock(mutex);
                ++done;
                finished.notify_all();
            }
        }
    };
    // Shared: a worker that starts late finds nothing left and touches nothing of the caller's.
    auto pieces = std::make_shared<Pieces>();
    pieces->work = std::move(work);
    pieces->count = count;
    for (qsizetype helper = 1; helper < std::min<qsizetype>(count, QThread::idealThreadCount()); ++helper)
        Dispatch::global([pieces] { pieces->run(); });
    pieces->run();
    std::unique_lock lock(pieces->mutex);
    pieces->finished.wait(lock, [&] { return pieces->done == count; });
}

// A few pieces per thread, of at least about `least` items.
qsizetype pieceCount(qsizetype items, qsizetype least) {
    return std::clamp<qsizetype>(items / least, 1, std::max(1, QThread::idealThreadCount()) * 2);
}

} // namespace

ExportSnapshot takeExportSnapshot(const ContactTable &contacts, const ContainerRecord *container,
                                  const QList<CustomItemDefinition> &customItems) {
    ExportSnapshot snapshot;
    snapshot.customItems = customItems;
    snapshot.settings = CNContactsUserDefaults::sharedDefaults().snapshot();
    snapshot.contacts.resize(contacts.size());
    // The copies share every value, but 100,000 of them still take a while to make: they are
    // made on several threads while this one waits, which only read the records.
    const int parts = contacts.size() < 4000 ? 1 : Dispatch::concurrentPartCount();
    const qsizetype partSize = (contacts.size() + parts - 1) / parts;
    ContactEntry *copies = snapshot.contacts.data();
    Dispatch::concurrently(parts, [&contacts, copies, partSize](int part) {
        const qsizetype end = std::min(contacts.size(), (part + 1) * partSize);
        for (qsizetype i = part * partSize; i < end; ++i) {
            const ContactEntry &entry = contacts[i];
            copies[i].person = std::make_shared<QMPerson>(entry.person->sharedCopy());
            copies[i].uniqueId = entry.uniqueId;
            copies[i].labelIndex = entry.labelIndex;
        }
    });
    if (container) {
        ContainerRecord reduced;
        reduced.name = container->name;
        reduced.type = container->type;
        reduced.identifier = container->identifier;
        for (const SharedGroup &group : container->groups) {
            if (group->deleted)
                continue;
            auto members = std::make_shared<GroupRecord>();
            members->top = group->top;
            members->name = group->name;
            if (!group->top) {
                members->contactTable->reserve(group->contactTable->size());
                for (const ContactEntry &entry : std::as_const(*group->contactTable)) {
                    if (entry.deleted)
                        continue;
                    ContactEntry member;
                    member.uniqueId = entry.uniqueId;
                    members->contactTable->append(std::move(member));
                }
            }
            reduced.groups.append(std::move(members));
        }
        snapshot.container = std::move(reduced);
    }
    return snapshot;
}

std::optional<QByteArrayList> vCardDataFromSnapshot(std::shared_ptr<const ExportSnapshot> snapshot,
                                                    const std::function<void(bool *stop, quint64 index)> &progress) {
    static const QStringList options = {VCardOption::Photo, VCardOption::Note, VCardOption::Custom,
                                        VCardOption::Categories};
    const QHash<QString, QStringList> groupNames =
        QMvCard::groupNamesByContact(snapshot->container ? &*snapshot->container : nullptr);
    const qsizetype count = snapshot->contacts.size();
    const qsizetype pieces = pieceCount(count, 1000);
    const qsizetype pieceSize = (count + pieces - 1) / pieces;
    std::vector<std::optional<QByteArray>> data(static_cast<size_t>(pieces));
    std::atomic<quint64> written{0};
    std::atomic<bool> stopped{false};
    forEachPiece(pieces, [&](qsizetype piece) {
        if (stopped.load(std::memory_order_relaxed))
            return;
        const CNContactsUserDefaults::Scope settings(snapshot->settings);
        const std::optional<QString> text = QMvCard().vCardsFromContacts(
            snapshot->contacts.mid(piece * pieceSize, pieceSize), options, groupNames,
            [&](bool *stop, quint64) {
                const quint64 done = ++written;
                if (progress)
                    progress(stop, done - 1);
                if (stopped.load(std::memory_order_relaxed))
                    *stop = true;
                else if (*stop)
                    stopped.store(true, std::memory_order_relaxed);
            },
            snapshot->customItems);
        // Encoded here, on the piece's own thread, and written as it is.
        if (text)
            data[size_t(piece)] = text->toUtf8();
    });
    // Releasing 100,000 copies is left to a worker of its own: neither the window nor the
    // file waits on it.
    Dispatch::releaseInBackground(std::move(snapshot));
    if (stopped.load())
        return std::nullopt;
    QByteArrayList result;
    result.reserve(pieces);
    for (std::optional<QByteArray> &piece : data) {
        if (!piece)
            return std::nullopt;
        result.append(std::move(*piece));
    }
    return result;
}

std::optional<QString> vCardsFromSnapshot(std::shared_ptr<const ExportSnapshot> snapshot,
                                          const std::function<void(bool *stop, quint64 index)> &progress) {
    const std::optional<QByteArrayList> data = vCardDataFromSnapshot(std::move(snapshot), progress);
    if (!data)
        return std::nullopt;
    QString text;
    for (const QByteArray &piece : *data)
        text += QString::fromUtf8(piece);
    return text;
}

QString exportFileName(const QString &compositeName, const QString &suffix) {
    QString name = compositeName;
    for (QChar &c : name)
        if (c == QLatin1Char('/') || c.category() == QChar::Other_Control)
            c = QLatin1Char('-');
    return name + suffix;
}

bool writeFileAtomically(const QString &path, const QString &text) {
    return writeFileAtomically(path, QByteArrayList{text.toUtf8()});
}

bool writeFileAtomically(const QString &path, const QByteArrayList &data) {
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        logError("writeFileAtomically", file.errorString());
        return false;
    }
    for (const QByteArray &piece : data) {
        if (file.write(piece) != piece.size()) {
            logError("writeFileAtomically", file.errorString());
            file.cancelWriting();
            return false;
        }
    }
    if (!file.commit()) {
        logError("writeFileAtomically", file.errorString());
        return false;
    }
    return true;
}

namespace {

void showSaveFailure(QWidget *window) {
    Alert alert;
    alert.messageText = L("Can't save the file");
    alert.informativeText = L("Something error happened in saving operation.");
    alert.beginSheetModalForWindow(window, {});
}

} // namespace

ExportCommand::ExportCommand(TransferWindow &window, std::shared_ptr<bool> busy, QObject *parent)
    : QObject(parent)
    , window_(window)
    , busy_(std::move(busy)) {}

QList<ContactEntry> ExportCommand::selectedContacts() const {
    ContactsViewController *table = window_.contactsViewController();
    return table ? table->selectedContactsWithClickedRowIndex(-1) : QList<ContactEntry>();
}

std::optional<ExportCommand::Target> ExportCommand::chooseTarget(const QList<ContactEntry> &selection,
                                                                 const QString &nameFieldLabel,
                                                                 const QStringList &types,
                                                                 const QString &suffix) {
    if (selection.isEmpty())
        return std::nullopt;
    const SharedContactTable shown = window_.shownContactTable();
    return chooseTarget(selection.first().person->compositeName(),
                        contactsToExport(selection, shown ? *shown : ContactTable()), nameFieldLabel, types,
                        suffix);
}

std::optional<ExportCommand::Target> ExportCommand::chooseTarget(const QString &firstName,
                                                                 const ContactTable &contacts,
                                                                 const QString &nameFieldLabel,
                                                                 const QStringList &types,
                                                                 const QString &suffix) {
    SavePanel panel;
    panel.directory = window_.documentFolder();
    panel.nameFieldLabel = nameFieldLabel;
    panel.allowedContentTypes = types;
    Target target;
    target.proposedName = exportFileName(firstName, suffix);
    panel.nameFieldStringValue = target.proposedName;
    const PanelResult chosen = DialogPresenter::current().runSavePanel(panel, window_.transferWindow());
    if (chosen.response != ModalResponse::OK || !chosen.url().isLocalFile())
        return std::nullopt;
    target.path = chosen.url().toLocalFile();
    target.contacts = contacts;
    return target;
}

void ExportCommand::exportToVCard() {
    exportToVCard(selectedContacts());
}

void ExportCommand::exportToVCard(const QList<ContactEntry> &contacts) {
    const std::optional<TransferGuard> guard = TransferGuard::enter(busy_);
    if (!guard)
        return;
    const std::optional<Target> target = chooseTarget(
        contacts, L("Export As:"), {ContentTypes::VCard, ContentTypes::PlainText}, QStringLiteral(".vcf"));
    if (target)
        writeVCards(*target, window_.shownGroup());
}

bool ExportCommand::exportAllContacts() {
    const std::optional<TransferGuard> guard = TransferGuard::enter(busy_);
    const SharedGroup shown = window_.shownGroup();
    const DocumentEdits *edits = window_.documentEdits();
    const ContainerRecord *container =
        shown && edits ? edits->containerWithIdentifier(shown->containerIdentifier) : nullptr;
    if (!guard || !container)
        return false;
    const auto top = std::find_if(container->groups.cbegin(), container->groups.cend(),
                                  [](const SharedGroup &group) { return group->top; });
    if (top == container->groups.cend() || !(*top)->contactTable)
        return false;
    ContactTable contacts;
    for (const ContactEntry &entry : std::as_const(*(*top)->contactTable))
        if (!entry.deleted && entry.person)
            contacts.append(entry);
    // With every contact removed, the document's name (the title without its edited mark
    // and its extension, which the export adds again).
    const QString firstName =
        contacts.isEmpty()
            ? QFileInfo(window_.transferWindow()->titleWithoutEditedMark()).completeBaseName()
            : contacts.first().person->compositeName();
    const std::optional<Target> target = chooseTarget(firstName, contacts, L("Export As:"),
                                                      {ContentTypes::VCard, ContentTypes::PlainText},
                                                      QStringLiteral(".vcf"));
    return target && writeVCards(*target, *top);
}

bool ExportCommand::writeVCards(const Target &target, const SharedGroup &shown) {
    const DocumentEdits *edits = window_.documentEdits();
    const ContainerRecord *container =
        shown && edits ? edits->containerWithIdentifier(shown->containerIdentifier) : nullptr;
    auto snapshot = std::make_shared<const ExportSnapshot>(
        takeExportSnapshot(target.contacts, container, window_.windowCustomItems()));
    // Not localized: the format names a file.
    const ProgressOutcome<std::optional<QByteArrayList>> built =
        runBehindProgressWindow<std::optional<QByteArrayList>>(
            window_.progressAlert(), QStringLiteral("Writing the file: %1").arg(target.proposedName),
            [snapshot = std::move(snapshot)](const ProgressRunPtr &run) mutable {
                const double count = double(std::max<qsizetype>(snapshot->contacts.size(), 1));
                // The build lets the snapshot go when it is done with it.
                return vCardDataFromSnapshot(std::move(snapshot), [&](bool *stop, quint64 index) {
                    if (run->isCancelled())
                        *stop = true;
                    else
                        run->setProgress(double(index) / count * 100.0);
                });
            });
    if (built.response == ModalResponse::Abort)
        return false; // Cancel: nothing written, nothing shown
    const bool done = built.response == ModalResponse::Stop && built.result && built.result->has_value();
    if (done && writeFileAtomically(target.path, **built.result))
        return true;
    showSaveFailure(window_.transferWindow());
    return false;
}

void ExportCommand::exportToCSV() {
    const std::optional<TransferGuard> guard = TransferGuard::enter(busy_);
    if (!guard)
        return;
    const std::optional<Target> target =
        chooseTarget(selectedContacts(), L("Export As CSV:"), {ContentTypes::CommaSeparatedText, ContentTypes::PlainText},
                     QStringLiteral(".csv"));
    if (target && !writeFileAtomically(target->path, QMvCard().csvFromSubContacts(target->contacts)))
        showSaveFailure(window_.transferWindow());
}

} // namespace tessarin
