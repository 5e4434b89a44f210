#include "app/transfer/ExportCommand.h"

#include "app/edits/DocumentEdits.h"
#include "app/reading/ProgressAlert.h"
#include "contacts_table/ContactsViewController.h"
#include "model/QMvCard.h"
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
#include <mutex>
#include <vector>

namespace tessarin {

ContactTable contactsToExport(const QList<ContactEntry> &selection, const ContactTable &contactTable) {
    QHash<QString, qsizetype> positions;
    for (qsizetype i = 0; i < contactTable.size(); ++i)
        if (!contactTable[i].deleted && contactTable[i].person)
            positions.insert(contactTable[i].uniqueId, i);
    ContactTable contacts;
    QSet<QString> taken;
    for (const ContactEntry &selected : selection) {
        const auto found = positions.constFind(selected.uniqueId);
        if (found == positions.constEnd() || taken.contains(selected.uniqueId))
            continue;
        taken.insert(selected.uniqueId);
        contacts.append(contactTable[*found]);
    }
    return contacts;
}

ExportSnapshot takeExportSnapshot(const ContactTable &contacts, const ContainerRecord *container,
                                  const QList<CustomItemDefinition> &customItems) {
    ExportSnapshot snapshot;
    snapshot.customItems = customItems;
    snapshot.contacts.reserve(contacts.size());
    for (const ContactEntry &entry : contacts) {
        ContactEntry copied;
        // The copy's own identifier is never written; the entry keeps the contact's identity.
        copied.person = std::shared_ptr<QMPerson>(entry.person->copy());
        copied.uniqueId = entry.uniqueId;
        copied.labelIndex = entry.labelIndex;
        snapshot.contacts.append(std::move(copied));
    }
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

namespace {

// The build's pieces: consecutive runs of contacts, claimed one at a time by whichever thread
// is free. The calling thread works too and then waits only for pieces already claimed, so
// the build finishes even when no other worker is free.
struct PieceBuild {
    std::shared_ptr<const ExportSnapshot> snapshot;
    std::function<void(bool *stop, quint64 done)> progress;
    qsizetype pieceSize = 1;
    std::vector<std::optional<QString>> texts;
    std::atomic<qsizetype> nextPiece{0};
    std::atomic<quint64> written{0};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    std::condition_variable finished;
    qsizetype finishedPieces = 0; // guarded by mutex

    // Builds pieces until none is left.
    void work() {
        static const QStringList options = {VCardOption::Photo, VCardOption::Note, VCardOption::Custom,
                                            VCardOption::Categories};
        const ContainerRecord *container = snapshot->container ? &*snapshot->container : nullptr;
        for (qsizetype piece = nextPiece++; piece < qsizetype(texts.size()); piece = nextPiece++) {
            std::optional<QString> text;
            if (!stopped.load(std::memory_order_relaxed)) {
                const ContactTable contacts = snapshot->contacts.mid(piece * pieceSize, pieceSize);
                text = QMvCard().vCardsFromContacts(
                    contacts, options, container,
                    [this](bool *stop, quint64) {
                        const quint64 done = ++written;
                        if (progress)
                            progress(stop, done - 1);
                        if (stopped.load(std::memory_order_relaxed))
                            *stop = true;
                        else if (*stop)
                            stopped.store(true, std::memory_order_relaxed);
                    },
                    snapshot->customItems);
            }
            std::lock_guard lock(mutex);
            texts[size_t(piece)] = std::move(text);
            ++finishedPieces;
            finished.notify_all();
        }
    }
};

} // namespace

std::optional<QString> vCardsFromSnapshot(std::shared_ptr<const ExportSnapshot> snapshot,
                                          const std::function<void(bool *stop, quint64 index)> &progress) {
    auto build = std::make_shared<PieceBuild>();
    const qsizetype count = snapshot->contacts.size();
    // A few pieces per thread; each piece gathers the groups' names once.
    const qsizetype pieces =
        std::clamp<qsizetype>(count / 1000, 1, std::max(1, QThread::idealThreadCount()) * 2);
    build->pieceSize = (count + pieces - 1) / pieces;
    build->texts.resize(size_t(pieces));
    build->snapshot = std::move(snapshot);
    build->progress = progress;
    for (qsizetype helper = 1; helper < std::min<qsizetype>(pieces, QThread::idealThreadCount()); ++helper)
        Dispatch::global([build] { build->work(); });
    build->work();
    std::unique_lock lock(build->mutex);
    build->finished.wait(lock, [&] { return build->finishedPieces == pieces; });
    if (build->stopped.load())
        return std::nullopt;
    qsizetype length = 0;
    for (const std::optional<QString> &text : build->texts)
        length += text ? text->size() : 0;
    QString text;
    text.reserve(length);
    for (const std::optional<QString> &piece : build->texts) {
        if (!piece)
            return std::nullopt;
        text += *piece;
    }
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
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        logError("writeFileAtomically", file.errorString());
        return false;
    }
    const QByteArray data = text.toUtf8();
    if (file.write(data) != data.size()) {
        logError("writeFileAtomically", file.errorString());
        file.cancelWriting();
        return false;
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
            ? QFileInfo(window_.transferWindow()->windowTitle().remove(QStringLiteral("[*]"))).completeBaseName()
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
    const ProgressOutcome<std::optional<QString>> built = runBehindProgressWindow<std::optional<QString>>(
        window_.progressAlert(), QStringLiteral("Writing the file: %1").arg(target.proposedName),
        [snapshot](const ProgressRunPtr &run) {
            const double count = double(std::max<qsizetype>(snapshot->contacts.size(), 1));
            return vCardsFromSnapshot(snapshot, [&](bool *stop, quint64 index) {
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
