#include "platform/ui/Document.h"

#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/TextFile.h"
#include "platform/ui/Window.h"

#include <QFileInfo>

Document::Document(QObject *parent)
    : QObject(parent) {
    registerAction(QStringLiteral("performClose:"), [this](QObject *) { close(); });
}

Document::~Document() {
    for (const auto &controller : windowControllers_)
        delete controller.data();
}

void Document::setFileURL(const QUrl &url) {
    fileURL_ = url;
    untitledNumber_ = 0;
    for (WindowController *controller : windowControllers())
        controller->synchronizeWindowTitleWithDocumentName();
    emit displayNameChanged();
}

void Document::setDisplayName(const QString &name) {
    displayName_ = name;
    for (WindowController *controller : windowControllers())
        controller->synchronizeWindowTitleWithDocumentName();
    emit displayNameChanged();
}

QString Document::displayName() {
    if (!displayName_.isEmpty())
        return displayName_;
    if (!fileURL_.isEmpty())
        return QFileInfo(fileURL_.toLocalFile()).fileName();
    if (untitledNumber_ == 0) {
        DocumentController *controller = DocumentController::shared();
        untitledNumber_ = controller ? controller->nextUntitledNumber() : 1;
    }
    const QString untitled = L("Untitled");
    return untitledNumber_ == 1 ? untitled : untitled + QLatin1Char(' ') + QString::number(untitledNumber_);
}

QList<WindowController *> Document::windowControllers() const {
    QList<WindowController *> list;
    for (const auto &controller : windowControllers_)
        if (controller)
            list.append(controller);
    return list;
}

void Document::addWindowController(WindowController *controller) {
    windowControllers_.append(controller);
    controller->setParent(this);
    controller->setDocument(this);
    // The document goes with its last window.
    connect(controller->window(), &Window::willClose, this, [this, controller] {
        removeWindowController(controller);
        if (windowControllers().isEmpty())
            close();
    });
}

void Document::removeWindowController(WindowController *controller) {
    windowControllers_.removeAll(controller);
}

void Document::showWindows() {
    for (WindowController *controller : windowControllers())
        controller->showWindow();
}

Window *Document::windowForSheet() const {
    const QList<WindowController *> controllers = windowControllers();
    return controllers.isEmpty() ? nullptr : controllers.first()->window();
}

bool Document::isDocumentEdited() const {
    for (WindowController *controller : windowControllers())
        if (controller->isWindowLoaded() && controller->window()->isDocumentEdited())
            return true;
    return false;
}

bool Document::readFromURL(const QUrl &, const QString &, PlatformError *) {
    return false;
}

void Document::close() {
    if (closing_)
        return;
    closing_ = true;
    for (WindowController *controller : windowControllers())
        if (controller->isWindowLoaded() && controller->window()->isVisible())
            controller->close();
    // A window may refuse (its changes are kept): the document stays with it.
    for (WindowController *controller : windowControllers()) {
        if (controller->isWindowLoaded() && controller->window()->isVisible()) {
            closing_ = false;
            return;
        }
    }
    if (DocumentController *controller = DocumentController::shared())
        controller->removeDocument(this);
    deleteLater();
}

namespace {
DocumentController *sharedController = nullptr;
}

DocumentController::DocumentController(QObject *parent)
    : QObject(parent) {
    if (!sharedController)
        sharedController = this;
    registerAction(QStringLiteral("newDocument:"),
                   [this](QObject *) { openUntitledDocumentAndDisplay(true); });
    registerAction(QStringLiteral("openDocument:"), [this](QObject *) {
        OpenPanel panel;
        panel.allowsMultipleSelection = true;
        const PanelResult result = runModalOpenPanel(panel, readableTypes());
        if (result.response != ModalResponse::OK)
            return;
        for (const QUrl &url : result.urls)
            openDocumentWithContentsOfURL(url, true);
    });
}

DocumentController::~DocumentController() {
    if (sharedController == this)
        sharedController = nullptr;
}

DocumentController *DocumentController::shared() {
    return sharedController;
}

QList<Document *> DocumentController::documents() const {
    QList<Document *> list;
    for (const auto &document : documents_)
        if (document && !document->closing_)
            list.append(document);
    return list;
}

Document *DocumentController::documentForURL(const QUrl &url) const {
    const QString path = QFileInfo(url.toLocalFile()).canonicalFilePath();
    if (path.isEmpty()) // no such file: no document can be showing it
        return nullptr;
    for (Document *document : documents())
        if (!document->fileURL().isEmpty() &&
            QFileInfo(document->fileURL().toLocalFile()).canonicalFilePath() == path)
            return document;
    return nullptr;
}

Document *DocumentController::currentDocument() const {
    if (Window *key = Application::shared().keyWindow())
        if (WindowController *controller = key->windowController())
            return controller->document();
    return nullptr;
}

void DocumentController::addDocument(Document *document) {
    if (!documents_.contains(document))
        documents_.append(document);
    document->setParent(this);
}

void DocumentController::removeDocument(Document *document) {
    documents_.removeAll(document);
}

int DocumentController::nextUntitledNumber() const {
    // The lowest number no open untitled document holds.
    QList<int> taken;
    for (Document *document : documents())
        if (document->fileURL().isEmpty())
            taken.append(document->untitledNumber_);
    int number = 1;
    while (taken.contains(number))
        ++number;
    return number;
}

Document *DocumentController::openUntitledDocumentAndDisplay(bool display) {
    Document *document = makeDocument(defaultType());
    if (!document)
        return nullptr;
    document->setFileType(defaultType());
    document->displayName(); // takes its number now
    addDocument(document);
    document->makeWindowControllers();
    if (display)
        document->showWindows();
    return document;
}

Document *DocumentController::openDocumentWithContentsOfURL(const QUrl &url, bool display) {
    if (Document *open = documentForURL(url)) {
        if (display)
            open->showWindows();
        return open;
    }
    const QString type = typeForContentsOfURL(url);
    Document *document = type.isEmpty() ? nullptr : makeDocument(type);
    if (!document) {
        presentError(TextFile::corruptFileError(url.toLocalFile()));
        return nullptr;
    }
    document->setFileURL(url);
    document->setFileType(type);
    PlatformError error;
    if (!document->readFromURL(url, type, &error)) {
        delete document;
        if (!error.localizedDescription.isEmpty() || !error.recoverySuggestion.isEmpty())
            presentError(error);
        return nullptr;
    }
    addDocument(document);
    document->makeWindowControllers();
    if (display)
        document->showWindows();
    return document;
}

void DocumentController::closeAllDocuments() {
    for (Document *document : documents())
        document->close();
}

QString DocumentController::defaultType() const {
    return ContentTypes::VCard;
}

QStringList DocumentController::readableTypes() const {
    return {ContentTypes::VCard, ContentTypes::CommaSeparatedText};
}

QString DocumentController::typeForContentsOfURL(const QUrl &url) const {
    const QString type = ContentTypes::typeForFile(url.toLocalFile());
    return readableTypes().contains(type) ? type : QString();
}

PanelResult DocumentController::runModalOpenPanel(OpenPanel &panel, const QStringList &types) {
    panel.allowedContentTypes = types;
    return DialogPresenter::current().runOpenPanel(panel, Application::shared().keyWindow());
}

void DocumentController::presentError(const PlatformError &error) {
    Alert::withError(error).runModal(Application::shared().keyWindow());
}

Document *DocumentController::makeDocument(const QString &) {
    return new Document;
}
