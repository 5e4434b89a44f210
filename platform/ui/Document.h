#pragma once

#include "platform/core/UndoManager.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Responder.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

class DocumentController;
class Window;
class WindowController;

// One open file (or an untitled document) with its undo manager and window controllers.
// Documents are never saved: the edited mark only marks the windows.
class Document : public QObject, public Responder {
    Q_OBJECT
public:
    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    QUrl fileURL() const { return fileURL_; }
    void setFileURL(const QUrl &url);
    QString fileType() const { return fileType_; }
    void setFileType(const QString &type) { fileType_ = type; }
    // The name given to the document, else the file's name, else "Untitled", "Untitled 2", ...
    QString displayName();
    void setDisplayName(const QString &name);

    UndoManager *undoManager() { return &undoManager_; }

    QList<WindowController *> windowControllers() const;
    // The document owns its window controllers.
    void addWindowController(WindowController *controller);
    void removeWindowController(WindowController *controller);
    virtual void makeWindowControllers() {}
    void showWindows();
    Window *windowForSheet() const;
    bool isDocumentEdited() const;

    // Fills the document from the file; a failure without an error (a cancelled read)
    // shows nothing.
    virtual bool readFromURL(const QUrl &url, const QString &typeName, PlatformError *error);

    // Closes its windows and leaves the document controller; stays while a window refuses.
    void close();

signals:
    void displayNameChanged();

private:
    friend class DocumentController;
    QUrl fileURL_;
    QString fileType_;
    QString displayName_;
    int untitledNumber_ = 0;
    bool closing_ = false;
    UndoManager undoManager_;
    QList<QPointer<WindowController>> windowControllers_;
};

// Makes, opens and tracks documents. New and Open are its actions ("newDocument:",
// "openDocument:"); opening a file that is open already brings its window forward.
class DocumentController : public QObject, public Responder {
    Q_OBJECT
public:
    // The first controller made becomes the shared one.
    explicit DocumentController(QObject *parent = nullptr);
    ~DocumentController() override;
    static DocumentController *shared();

    QList<Document *> documents() const;
    Document *documentForURL(const QUrl &url) const;
    Document *currentDocument() const;
    void addDocument(Document *document);
    void removeDocument(Document *document);

    Document *openUntitledDocumentAndDisplay(bool display = true);
    // Reports a failed read to the user unless it failed without an error.
    Document *openDocumentWithContentsOfURL(const QUrl &url, bool display = true);
    void closeAllDocuments();

    virtual QString defaultType() const;
    virtual QStringList readableTypes() const;
    virtual QString typeForContentsOfURL(const QUrl &url) const;
    // Runs the open panel; subclasses add their accessory.
    virtual PanelResult runModalOpenPanel(OpenPanel &panel, const QStringList &types);
    virtual void presentError(const PlatformError &error);

protected:
    // The document of that type; the base makes a plain Document.
    virtual Document *makeDocument(const QString &typeName);

private:
    int nextUntitledNumber() const;
    friend class Document;

    QList<QPointer<Document>> documents_;
};
