#include "app/transfer/ImportCommand.h"

#include "app/edits/DocumentEdits.h"
#include "app/reading/EncodingAccessory.h"
#include "app/reading/LeftOutNotice.h"
#include "app/reading/ProgressAlert.h"
#include "app/reading/QMvCardReader.h"
#include "app/transfer/ImportPanelController.h"
#include "model/QMvCard.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/TextFile.h"

#include <QFileInfo>

namespace tessarin {

namespace {

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

ImportCommand::ImportCommand(TransferWindow &window, std::shared_ptr<bool> busy, QObject *parent)
    : QObject(parent)
    , window_(window)
    , busy_(std::move(busy)) {}

void ImportCommand::importFromVCard() {
    std::optional<TransferGuard> guard = TransferGuard::enter(busy_);
    if (!guard)
        return;
    Window *window = window_.transferWindow();
    OpenPanel panel;
    panel.directory = window_.documentFolder();
    panel.allowedContentTypes = {ContentTypes::VCard, ContentTypes::PlainText};
    const ChosenText chosen = chooseAndRead(window, panel);
    if (chosen.path.isEmpty())
        return;
    if (!chosen.text) {
        showReadFailure(window, chosen.error.localizedDescription);
        return;
    }
    const QString fileName = QFileInfo(chosen.path).fileName();
    struct Parsed {
        ContactTable contacts;
        VCardLeftOut leftOut;
    };
    // Not localized: the format names a file.
    const ProgressOutcome<Parsed> parsed = runBehindProgressWindow<Parsed>(
        window_.progressAlert(), QStringLiteral("Reading the file: %1").arg(fileName),
        [text = *chosen.text](const ProgressRunPtr &run) {
            const double length = double(std::max<qsizetype>(text.size(), 1));
            // A stopped parse gives nothing; a file without cards an empty table.
            Parsed result;
            result.contacts = contactsFromVCards(
                text,
                [&](bool *stop, quint64 position) {
                    if (run->isCancelled())
                        *stop = true;
                    else
                        run->setProgress(double(position) / length * 100.0);
                },
                &result.leftOut);
            return result;
        });
    if (parsed.response == ModalResponse::Abort)
        return;
    if (!parsed.result || parsed.result->contacts.isEmpty()) {
        showReadFailure(window, vCardAdvice());
        return;
    }
    // What was left out is said first, in the words Open uses; the selection follows.
    auto held = std::make_shared<TransferGuard>(std::move(*guard));
    const QPointer<ImportCommand> self(this);
    showLeftOut(window, fileName, parsed.result->leftOut,
                [self, fileName, contacts = parsed.result->contacts, held] {
                    if (self)
                        self->showImportPanel(fileName, contacts, std::move(*held));
                });
}

void ImportCommand::importFromCSV() {
    std::optional<TransferGuard> guard = TransferGuard::enter(busy_);
    if (!guard)
        return;
    Window *window = window_.transferWindow();
    OpenPanel panel;
    panel.title = L("Import from CSV");
    panel.directory = window_.documentFolder();
    panel.allowedContentTypes = {ContentTypes::CommaSeparatedText, ContentTypes::PlainText};
    const ChosenText chosen = chooseAndRead(window, panel);
    if (chosen.path.isEmpty())
        return;
    // A file that cannot be read says why, as the vCard import does: advice on CSV would
    // send the user looking in a file that is a folder, a pipe or a device.
    if (!chosen.text) {
        showReadFailure(window, chosen.error.localizedDescription);
        return;
    }
    const ContactTable contacts = QMvCard().contactsFromCSV(*chosen.text);
    if (contacts.isEmpty()) {
        showReadFailure(window, csvAdvice());
        return;
    }
    showImportPanel(QFileInfo(chosen.path).fileName(), contacts, std::move(*guard));
}

void ImportCommand::showImportPanel(const QString &fileName, const ContactTable &contacts, TransferGuard guard) {
    ImportPanelController *panel = window_.importPanelController();
    panel->setFilename(fileName);
    panel->setNameTable(contacts);
    const QPointer<ImportCommand> self(this);
    // The command stays busy until the sheet has ended.
    auto held = std::make_shared<TransferGuard>(std::move(guard));
    Application::shared().beginSheet(panel->window(), window_.transferWindow(), [self, panel, held](int code) {
        if (!self)
            return;
        const QList<int> rows =
            code == ImportPanelController::SelectResponse ? panel->selectedIndexes() : QList<int>();
        if (!rows.isEmpty()) {
            ContactTable chosen;
            for (const int row : rows)
                chosen.append(panel->nameTable().at(row));
            self->window_.addContacts(chosen, self->window_.shownGroup());
        }
        // The sheet keeps none of the file's contacts once it has ended.
        panel->setNameTable({});
        held->release();
    });
}

} // namespace tessarin
