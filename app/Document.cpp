#include "app/Document.h"

#include "app/DocumentController.h"
#include "app/DocumentWindow.h"
#include "app/ProgressAlert.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Menu.h"
#include "platform/ui/TextFile.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <atomic>

namespace tessarin {

namespace {

bool isSet(const PlatformError &error) {
    return error.code != 0 || !error.localizedDescription.isEmpty() || !error.recoverySuggestion.isEmpty();
}

// What the background parse hands back. The main thread reads it only when `done` is set
// and the progress window ended normally; the parse never touches the document.
struct ParseOutcome {
    DocumentContentsPtr contents;
    PlatformError error;
    std::atomic<bool> done{false};
};

} // namespace

Document::Document(QObject *parent)
    : ::Document(parent) {}

Document::~Document() {
    delete progressAlert_.data();
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
    TextEncoding::Constant encoding = TextEncoding::UTF8;
    if (auto *controller = qobject_cast<DocumentController *>(::DocumentController::shared())) {
        encoding = controller->encodingType();
        controller->resetEncodingType();
    }
    const QString path = url.toLocalFile();
    PlatformError pending;
    const std::optional<QString> text = TextFile::read(path, encoding, &pending);
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
    QString advice;
    if (typeName == ContentTypes::CommaSeparatedText) {
        contents = reader->containersFromCSV(*text);
        advice = L("Please make sure the file is a valid CSV file, or text encoding.");
    } else {
        advice = L("Please make sure the file is vCard 2.1/3.0 file, or text encoding.");
        if (!mainViewController_) {
            if (!parseBehindProgressWindow(reader, *text, QFileInfo(path).fileName(), &contents, &pending))
                return false; // cancelled: nothing opens, nothing is shown
        } else {
            contents = reader->containersFromVCards(*text, &pending, {});
        }
        if (isSet(pending)) {
            if (error)
                *error = pending;
            return false;
        }
    }
    if (!contents || contents->contactCount() == 0) {
        if (error)
            *error = TextFile::corruptFileError(path, advice);
        return false;
    }
    containerTable_ = contents;
    if (mainViewController_)
        handOver(std::move(contents));
    return true;
}

bool Document::parseBehindProgressWindow(const ContactsReader::Ptr &reader, const QString &text,
                                         const QString &fileName, DocumentContentsPtr *contents,
                                         PlatformError *pending) {
    ProgressAlert *alert = progressAlert();
    // Not localized: the format names a file.
    const ProgressRunPtr run = alert->beginRun(QStringLiteral("Reading the file: %1").arg(fileName));
    auto outcome = std::make_shared<ParseOutcome>();
    Dispatch::global([reader, text, run, outcome] {
        QElapsedTimer started;
        started.start();
        const double length = double(std::max<qsizetype>(text.size(), 1));
        PlatformError error;
        DocumentContentsPtr contents = reader->containersFromVCards(text, &error, [&](qsizetype position) {
            if (run->isCancelled())
                return false;
            run->setProgress(double(position) / length * 100.0);
            return true;
        });
        if (run->isCancelled())
            return; // nobody reads it any more
        outcome->contents = std::move(contents);
        outcome->error = error;
        outcome->done.store(true, std::memory_order_release);
        while (started.elapsed() < kMinimumProgressMilliseconds && !run->isCancelled())
            QThread::msleep(5);
        run->finish();
    });
    const int response = alert->runModal(run);
    if (response != ModalResponse::Stop || !outcome->done.load(std::memory_order_acquire))
        return false;
    *pending = outcome->error;
    *contents = outcome->contents;
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
