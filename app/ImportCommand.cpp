#include "app/EncodingAccessory.h"
#include "app/ImportPanelController.h"
#include "app/ProgressAlert.h"
#include "app/ViewController.h"
#include "app/WindowController.h"
#include "model/QMvCard.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/TextFile.h"

#include <QFileInfo>

#include <atomic>

namespace tessarin {

namespace {

// What the background parse hands back; read by the main thread only once `done` is set.
struct ParsedContacts {
    ContactTable contacts;
    std::atomic<bool> done{false};
};

void showReadFailure(QWidget *window, const QString &informativeText) {
    Alert alert;
    alert.messageText = L("Couldn't read the file.");
    alert.informativeText = informativeText;
    alert.beginSheetModalForWindow(window, {});
}

QString vCardAdvice() {
    return L("Please make sure the file is vCard 2.1/3.0 file.");
}

QString csvAdvice() {
    return L("Please make sure the file is a valid CSV file.");
}

// The file's text, read in the encoding chosen on the panel's accessory; the path and the
// text are empty when the panel was cancelled.
struct ChosenText {
    QString path;
    std::optional<QString> text;
    PlatformError error;
};

ChosenText chooseAndRead(QWidget *window, OpenPanel panel) {
    EncodingAccessory accessory;
    accessory.setEncodingOnly();
    panel.accessoryView = accessory.view();
    const PanelResult result = DialogPresenter::current().runOpenPanel(panel, window);
    accessory.requestClose();
    panel.accessoryView = nullptr;
    ChosenText chosen;
    if (result.response != ModalResponse::OK || !result.url().isLocalFile())
        return chosen;
    chosen.path = result.url().toLocalFile();
    chosen.text = TextFile::read(chosen.path, accessory.encodingType(), &chosen.error);
    return chosen;
}

} // namespace

ImportPanelController *WindowController::importPanelController() {
    if (!importPanelController_)
        importPanelController_ = new ImportPanelController(this);
    return importPanelController_;
}

void WindowController::importFromVCard(QObject *) {
    if (isExporting_)
        return;
    isExporting_ = true;
    OpenPanel panel;
    panel.allowedContentTypes = {ContentTypes::VCard, ContentTypes::PlainText};
    const ChosenText chosen = chooseAndRead(window(), panel);
    if (chosen.path.isEmpty()) {
        isExporting_ = false;
        return;
    }
    if (!chosen.text) {
        showReadFailure(window(), chosen.error.localizedDescription);
        isExporting_ = false;
        return;
    }

    const QString fileName = QFileInfo(chosen.path).fileName();
    ProgressAlert *alert = progressAlert();
    // Not localized: the format names a file.
    const ProgressRunPtr run = alert->beginRun(QStringLiteral("Reading the file: %1").arg(fileName));
    auto parsed = std::make_shared<ParsedContacts>();
    Dispatch::global([text = *chosen.text, run, parsed] {
        const double length = double(std::max<qsizetype>(text.size(), 1));
        const std::shared_ptr<ContainerTable> containers =
            QMvCard().containersFromVCards(text, nullptr, [&](bool *stop, quint64 position) {
                if (run->isCancelled())
                    *stop = true;
                else
                    run->setProgress(double(position) / length * 100.0);
            });
        if (run->isCancelled())
            return; // nobody reads it any more
        // A stopped parse gives no containers; a file without cards an empty group.
        if (containers && !containers->isEmpty() && !containers->first().groups.isEmpty()) {
            const ContainerRecord &container = containers->first();
            if (const SharedContactTable contacts =
                    QMvCard::contactsForGroup(*container.groups.first(), container))
                parsed->contacts = *contacts;
        }
        parsed->done.store(true, std::memory_order_release);
        run->finish();
    });
    const int response = alert->runModal(run);
    if (response == ModalResponse::Abort) {
        isExporting_ = false;
        return;
    }
    if (!parsed->done.load(std::memory_order_acquire) || parsed->contacts.isEmpty()) {
        showReadFailure(window(), vCardAdvice());
        isExporting_ = false;
        return;
    }
    showImportPanel(fileName, parsed->contacts);
}

void WindowController::importFromCSV(QObject *) {
    if (isExporting_)
        return;
    isExporting_ = true;
    OpenPanel panel;
    panel.title = L("Import from CSV");
    panel.allowedContentTypes = {ContentTypes::CommaSeparatedText, ContentTypes::PlainText};
    const ChosenText chosen = chooseAndRead(window(), panel);
    if (chosen.path.isEmpty()) {
        isExporting_ = false;
        return;
    }
    const ContactTable contacts = chosen.text ? QMvCard().contactsFromCSV(*chosen.text) : ContactTable();
    if (contacts.isEmpty()) {
        showReadFailure(window(), csvAdvice());
        isExporting_ = false;
        return;
    }
    showImportPanel(QFileInfo(chosen.path).fileName(), contacts);
}

void WindowController::showImportPanel(const QString &fileName, const ContactTable &contacts) {
    ImportPanelController *panel = importPanelController();
    panel->setFilename(fileName);
    panel->setNameTable(contacts);
    const QPointer<WindowController> self(this);
    Application::shared().beginSheet(panel->window(), window(), [self, panel](int code) {
        if (!self)
            return;
        const QList<int> rows =
            code == ImportPanelController::SelectResponse ? panel->selectedIndexes() : QList<int>();
        if (!rows.isEmpty() && self->mainViewController_) {
            ContactTable chosen;
            for (const int row : rows)
                chosen.append(panel->nameTable().at(row));
            self->mainViewController_->undoAddContacts(chosen,
                                                       self->mainViewController_->selectedGroupDict());
            self->window()->setDocumentEdited(true);
        }
        // The sheet keeps none of the file's contacts once it has ended.
        panel->setNameTable({});
        self->isExporting_ = false;
    });
}

} // namespace tessarin
