#include "app/document/Document.h"

#include "app/window/DocumentWindow.h"
#include "app/reading/LeftOutNotice.h"
#include "app/reading/ProgressAlert.h"
#include "platform/core/Dispatch.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/core/Memory.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Menu.h"
#include "platform/ui/TextFile.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace tessarin {

namespace {

bool isSet(const PlatformError &error) {
    return error.code != 0 || !error.localizedDescription.isEmpty() || !error.recoverySuggestion.isEmpty();
}

} // namespace

Document::Document(QObject *parent)
    : ::Document(parent) {}

Document::~Document() {
    delete progressAlert_.data();
    // The records go with the members and the windows after this body: the freed pages are
    // handed back once they have gone (closing a large file otherwise keeps its size).
    Memory::releasingRecords();
    if (QCoreApplication::instance())
        Dispatch::main([] { Dispatch::global([] { Memory::returnFreedMemory(); }); });
}

ProgressAlert *Document::progressAlert() {
    if (!progressAlert_)
        progressAlert_ = new ProgressAlert(this);
    return progressAlert_;
}

bool Document::validateMenuItem(MenuItem *item) {
    // The document's own file is never written or replaced.
    static const QStringList refused = {ActionId::RevertDocumentToSaved, ActionId::DuplicateDocument,
                                        ActionId::BrowseDocumentVersions, ActionId::SaveDocument};
    return !refused.contains(item->action());
}

bool Document::readFromURL(const QUrl &url, const QString &typeName, PlatformError *error) {
    const QString path = url.toLocalFile();
    PlatformError pending;
    std::optional<QString> text = TextFile::read(path, encodingType_, &pending);
    if (!text) {
        if (error)
            *error = pending;
        return false;
    }
    const ContactsReader::Ptr reader = ContactsReader::shared();
    if (!reader) {
        logError("readFromURL", QStringLiteral("no contacts reader"));
        if (error)
            *error = TextFile::corruptFileError(path);
        return false;
    }

    DocumentContentsPtr contents;
    const bool csv = typeName == ContentTypes::CommaSeparatedText;
    const QString advice = csv ? L("Please make sure the file is a valid CSV file, or text encoding.")
                               : L("Please make sure the file is vCard 2.1/3.0 file, or text encoding.");
    if (!mainViewController_) {
        if (!parseBehindProgressWindow(reader, *text, csv, QFileInfo(path).fileName(), &contents, &pending))
            return false; // cancelled: nothing opens, nothing is shown
    } else {
        contents = csv ? reader->containersFromCSV(*text, {}) : reader->containersFromVCards(*text, &pending, {});
    }
    // The text takes twice the file's size: a worker hands its pages back, not the main thread,
    // which has the window to make.
    Dispatch::releaseInBackground(std::move(*text));
    text.reset();
    if (isSet(pending)) {
        if (error)
            *error = pending;
        return false;
    }
    if (!contents || contents->contactCount() == 0) {
        if (error)
            *error = TextFile::corruptFileError(path, advice);
        return false;
    }
    containerTable_ = contents;
    leftOut_ = contents->leftOut();
    if (mainViewController_) {
        handOver(std::move(contents));
        tellWhatWasLeftOut();
    }
    return true;
}

bool Document::parseBehindProgressWindow(const ContactsReader::Ptr &reader, const QString &text, bool csv,
                                         const QString &fileName, DocumentContentsPtr *contents,
                                         PlatformError *pending) {
    struct Parsed {
        DocumentContentsPtr contents;
        PlatformError error;
    };
    // Not localized: the format names a file.
    const ProgressOutcome<Parsed> outcome = runBehindProgressWindow<Parsed>(
        progressAlert(), QStringLiteral("Reading the file: %1").arg(fileName),
        [reader, text, csv](const ProgressRunPtr &run) {
            const double length = double(std::max<qsizetype>(text.size(), 1));
            const ContactsReader::ProgressHandler progress = [&](qsizetype position) {
                if (run->isCancelled())
                    return false;
                run->setProgress(double(position) / length * 100.0);
                return true;
            };
            Parsed parsed;
            parsed.contents = csv ? reader->containersFromCSV(text, progress)
                                  : reader->containersFromVCards(text, &parsed.error, progress);
            return parsed;
        },
        kMinimumProgressMilliseconds);
    if (outcome.response != ModalResponse::Stop || !outcome.result)
        return false;
    *pending = outcome.result->error;
    *contents = outcome.result->contents;
    return true;
}

void Document::makeWindowControllers() {
    DocumentContentsPtr contents = std::move(containerTable_);
    if (!contents)
        if (const ContactsReader::Ptr reader = ContactsReader::shared())
            contents = reader->emptyContainerTable();
    // The window owns the tables from now on.
    mainWindowController_ = makeDocumentWindow(this, contents ? contents->containers() : nullptr);
    mainViewController_ = mainWindowController_->mainViewController();
    // The sheet belongs on the window, which is shown once this returns.
    if (!leftOut_.isEmpty())
        Dispatch::main([this] { tellWhatWasLeftOut(); }, this);
}

void Document::tellWhatWasLeftOut() {
    const VCardLeftOut leftOut = std::exchange(leftOut_, VCardLeftOut());
    if (mainWindowController_)
        showLeftOut(mainWindowController_->window(), displayName(), leftOut);
}

void Document::handOver(DocumentContentsPtr contents) {
    containerTable_.reset();
    const std::shared_ptr<ContainerTable> containers = contents ? contents->containers() : nullptr;
    if (!mainViewController_ || !containers || containers->isEmpty() || containers->first().groups.isEmpty())
        return;
    const SharedGroup group = containers->first().groups.first();
    mainViewController_->setContainerTable(containers);
    mainViewController_->setSelectedGroupDict(group);
    mainViewController_->setContactTable(group->contactTable);
    mainViewController_->setRepresentedObject(QVariant());
}

} // namespace tessarin
