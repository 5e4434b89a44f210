// The windows and sheets of the folders above the panes that the main view opens: the find
// window, the QR code sheet and the merge sheet.
#include "app/window/ViewController.h"

#include "app/window/DocumentFindEdits.h"
#include "find/FindPanel.h"
#include "merge/MergePanelController.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Window.h"
#include "print/QRCodePanelController.h"

namespace tessarin {

void ViewController::registerPanelActions() {
    registerAction(ActionId::ShowFindPanel, [this](QObject *sender) { showFindPanel(sender); });
    // The Contact menu's commands are the table's; they reach the table from here too while
    // another pane (or none) has the focus.
    for (const QString &action : tableCommands())
        registerAction(action, [this, action](QObject *sender) { contactsViewController_->performAction(action, sender); });
}

const QStringList &ViewController::tableCommands() {
    static const QStringList actions = {ActionId::ShowQRCode, ActionId::MergeContacts, ActionId::NormalizePhoneNumber,
                                        ActionId::ToggleShowCompany};
    return actions;
}

void ViewController::showFindPanel(QObject *) {
    if (!contactTable_)
        return;
    FindPanel panel;
    if (const QString text = Pasteboard::find().stringForType(); !text.isEmpty()) {
        windowState_->setFindString(text);
        panel.setSearchString(text);
    }
    panel.setContacts(*contactTable_);
    panel.setCustomItems(customItems());
    panel.setSelectedItems(contactsViewController_->tableIdentfiers());
    panel.setLabels(FindPanel::openerLabels());
    panel.setLocalizedLabels(FindPanel::openerLocalizedLabels());
    panel.setSelectedLabels(settings_->selectedLabels());
    panel.setEditState(editState());
    DocumentFindEdits edits(*edits_);
    panel.setParentViewController(&edits);
    // Above the document window, as its own window.
    if (Window *window = this->window())
        panel.window()->setParent(window, Qt::Window);

    // Each write-back would rebuild the table's rows (Replace All makes thousands); the
    // table shows them all once the window has closed, as it is refreshed then anyway.
    BulkEdit open(edits_, BulkEdit::Undo::AsMade);
    panel.runModal();
    if (!open.end())
        contactsViewController_->updateTable();
    if (contactInfoVisible_)
        contactInfoController_->updateTable();
    if (Window *window = this->window(); window && undoManager())
        window->setDocumentEdited(undoManager()->canUndo());
}

QRCodePanelController *ViewController::qrCodePanelController() const {
    return qrCodePanelController_;
}

void ViewController::showQRCodePanel(const SubContactRowPtr &row) {
    Window *window = this->window();
    // A sheet already on the window keeps it: the former panel may still be showing.
    if (!row || !row->person || !window || Application::shared().attachedSheet(window))
        return;
    delete qrCodePanelController_;
    qrCodePanelController_ = new QRCodePanelController(this);
    qrCodePanelController_->setContact(row->person);
    Application::shared().beginSheet(qrCodePanelController_->window(), window, [](int) {});
}

MergePanelController *ViewController::mergePanelController() const {
    return mergePanelController_;
}

void ViewController::showMergePanel(const QList<ContactEntry> &contacts) {
    Window *window = this->window();
    if (contacts.size() < 2 || !window || Application::shared().attachedSheet(window))
        return;
    delete mergePanelController_;
    mergePanelController_ = new MergePanelController(this);
    mergePanelController_->setCustomItems(customItems());
    mergePanelController_->window();
    auto context = std::make_shared<MergeContext>();
    context->contacts = contacts;
    mergePanelController_->setContextInfo(context, editState());
    mergePanelController_->setSelectedFont(selectedFont());
    Application::shared().beginSheet(mergePanelController_->window(), window,
                                     [self = QPointer(this), context](int code) {
                                         if (!self || code != MergePanelController::ChangedResponse ||
                                             !context->newContacts)
                                             return;
                                         self->undoReplacePersonByContacts(*context->newContacts, context->contacts);
                                         self->setDocumentEdited();
                                     });
}

} // namespace tessarin
