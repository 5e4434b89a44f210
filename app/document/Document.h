#pragma once

#include "app/reading/ContactsReader.h"
#include "app/window/ViewController.h"
#include "app/window/WindowController.h"
#include "platform/core/TextEncoding.h"
#include "platform/ui/Document.h"
#include "platform/ui/Window.h"

#include <QPointer>

namespace tessarin {

class ProgressAlert;

// One open vCard or CSV file. It reads the file into the container table, makes its
// window and hands the table over; it never writes its own file.
class Document : public ::Document {
    Q_OBJECT
public:
    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    // The encoding the file is read in, chosen on the open panel (UTF-8 without one).
    TextEncoding::Constant encodingType() const { return encodingType_; }
    void setEncodingType(TextEncoding::Constant encoding) { encodingType_ = encoding; }

    WindowController *mainWindowController() const { return mainWindowController_; }
    ViewController *mainViewController() const { return mainViewController_; }
    // Held only between the read and the hand-over to the window.
    DocumentContentsPtr containerTable() const { return containerTable_; }
    ProgressAlert *progressAlert();

    bool validateMenuItem(MenuItem *item) override;
    void makeWindowControllers() override;
    bool readFromURL(const QUrl &url, const QString &typeName, PlatformError *error) override;

    // Parses at least this long behind the progress window, so a quick read does not flash it.
    static constexpr int kMinimumProgressMilliseconds = 1000;

private:
    // The parse on the worker pool behind the progress window; false when cancelled.
    bool parseBehindProgressWindow(const ContactsReader::Ptr &reader, const QString &text, bool csv,
                                   const QString &fileName, DocumentContentsPtr *contents,
                                   PlatformError *pending);
    void handOver(DocumentContentsPtr contents);
    // Says once, in a sheet on the window, what the read left out.
    void tellWhatWasLeftOut();

    QPointer<WindowController> mainWindowController_;
    QPointer<ViewController> mainViewController_;
    DocumentContentsPtr containerTable_;
    VCardLeftOut leftOut_;
    QPointer<ProgressAlert> progressAlert_;
    TextEncoding::Constant encodingType_ = TextEncoding::UTF8;
};

} // namespace tessarin
