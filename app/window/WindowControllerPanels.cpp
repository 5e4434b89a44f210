// The window's commands that hand work to the sheets of other folders and apply what they
// answer: printing, the custom label sheet and the custom items sheet.
#include "app/window/WindowController.h"

#include "app/window/ViewController.h"
#include "contact_info/ContactInfoController.h"
#include "contacts_table/ContactsViewController.h"
#include "editors/CustomItemsPanel.h"
#include "editors/CustomLabelPanel.h"
#include "model/QMPerson.h"
#include "platform/core/UndoManager.h"
#include "platform/ui/Application.h"
#include "platform/ui/Document.h"
#include "print/PrintPanelController.h"

#include <QPushButton>

namespace tessarin {

namespace {

// The words the label sheet renamed or deleted come back with the values that carry them
// when its step is undone, and go again when it is redone.
void registerLabelsUndo(UndoManager *manager, const QList<LabelChange> &changes, bool bringBack) {
    manager->registerUndo(manager, [manager, changes, bringBack] {
        registerLabelsUndo(manager, changes, !bringBack);
        if (bringBack) {
            for (auto change = changes.crbegin(); change != changes.crend(); ++change)
                QMPerson::setLabel(QString(), change->oldLabel, change->identifier);
            return;
        }
        for (const LabelChange &change : changes)
            if (change.oldLabel != change.valueLabel)
                QMPerson::removeLabel(change.oldLabel, change.identifier);
    });
}

} // namespace

void WindowController::registerPanelActions() {
    registerAction(ActionId::PrintDocument, [this](QObject *) { printDocument(); });
    registerAction(ActionId::ShowCustomLabelPanel, [this](QObject *) { showCustomLabelPanel(); });
    registerAction(ActionId::ShowCustomItems, [this](QObject *) { showCustomItems(); });
}

CustomLabelPanelController *WindowController::customLabelPanelController() const {
    return customLabelPanelController_;
}

CustomItemPanel *WindowController::customItemPanel() const {
    return customItemPanel_;
}

void WindowController::printDocument() {
    if (!contactsViewController_)
        return;
    const QList<SubContactRowPtr> selected = contactsViewController_->selectedSubContacts();
    // The accessory reads the stored settings afresh at each opening and stores every
    // change at once, so the print settings need no owner of their own here.
    PrintPanelController::printDocument(SubContactTable(selected.cbegin(), selected.cend()),
                                        contactsViewController_->tableIdentfiers(), window(), {},
                                        document() ? document()->displayName() : QString());
}

void WindowController::showCustomLabelPanel() {
    if (!mainViewController_)
        return;
    if (!customLabelPanelController_)
        customLabelPanelController_ = new CustomLabelPanelController(this);
    CustomLabelPanelController *panel = customLabelPanelController_;
    if (panel->isWindowLoaded() && panel->window()->isVisible()) {
        panel->buttonPressed(panel->cancelButton());
        return;
    }
    panel->setCustomItems(mainViewController_->customItems());
    panel->setSelectedFont(mainViewController_->selectedFont());
    panel->setContainerTable(mainViewController_->containerTable());
    panel->setContextInfo();
    Application::shared().beginSheet(panel->window(), window(),
                                     [this](int code) { customLabelPanelDidEnd(code); });
}

void WindowController::customLabelPanelDidEnd(int code) {
    CustomLabelPanelController *panel = customLabelPanelController_;
    if (!mainViewController_ || !panel)
        return;
    bool refreshed = false;
    if (code == 1) {
        // One undo step, and the values carry their new labels before the tables reload: a
        // reload registers the labels it shows, so a deleted word would come back.
        BulkEdit relabel(documentEdits());
        if (UndoManager *manager = mainViewController_->undoManager())
            registerLabelsUndo(manager, panel->labelChanges(), true);
        for (const RelabeledValues &entry : panel->relabeledValues())
            mainViewController_->undoReplaceLabeledValue(FieldValue(entry.values), entry.identifier,
                                                         entry.person, panel);
        window()->setDocumentEdited(true);
        refreshed = relabel.end();
    }
    if (!refreshed)
        contactsViewController_->updateTable();
    contactInfoController_->updateTable();
}

void WindowController::showCustomItems() {
    if (!mainViewController_)
        return;
    if (!customItemPanel_)
        customItemPanel_ = new CustomItemPanel(this);
    CustomItemPanel *panel = customItemPanel_;
    panel->setCustomItems(mainViewController_->customItems());
    panel->setIsVCard(document() != nullptr);
    panel->setContainerTable(mainViewController_->containerTable());
    Application::shared().beginSheet(panel->window(), window(),
                                     [this](int code) { customItemPanelDidEnd(code); });
}

void WindowController::customItemPanelDidEnd(int code) {
    CustomItemPanel *panel = customItemPanel_;
    if (code != 1 || !mainViewController_ || !panel)
        return;
    QList<CustomItemDefinition> items = mainViewController_->customItems();
    if (CustomItemPanel::applyCustomItems(items, panel->customItems()))
        window()->setDocumentEdited(true);
    // The menus follow the state's signal.
    mainViewController_->windowState()->setCustomItems(items);
    // The table takes the items' kinds and the columns left by the cleaned view types; the
    // detail panel the rows and icons of the items.
    contactsViewController_->setSelectedViewType(selectedViewType());
    contactInfoController_->updateTable();
}

} // namespace tessarin
