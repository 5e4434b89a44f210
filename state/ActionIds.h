#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>

// The actions of the program's menu items, toolbar controls and buttons. The texts are the
// selectors the action router keys on; registration, menus, validation and tests name an
// action only through these. A new command adds its id here.
namespace ActionId {

// ---- Application, Help and documents (the first three are registered by the platform layer)
inline const QString NewDocument = QStringLiteral("newDocument:");
inline const QString OpenDocument = QStringLiteral("openDocument:");
inline const QString PerformClose = QStringLiteral("performClose:");
inline const QString ShowAboutPanel = QStringLiteral("showAboutPanel:");
inline const QString MenuItemSelectedInHelpMenu = QStringLiteral("menuItemSelectedInHelpMenu:");
// The document's own file is never written or replaced: these stay disabled.
inline const QString SaveDocument = QStringLiteral("saveDocument:");
inline const QString RevertDocumentToSaved = QStringLiteral("revertDocumentToSaved:");
inline const QString DuplicateDocument = QStringLiteral("duplicateDocument:");
inline const QString BrowseDocumentVersions = QStringLiteral("browseDocumentVersions:");

// ---- File: import, export, print
inline const QString ImportFromVCard = QStringLiteral("importFromVCard:");
inline const QString ImportFromCSV = QStringLiteral("importFromCSV:");
inline const QString ExportToVCard = QStringLiteral("exportToVCard:");
inline const QString ExportToCSV = QStringLiteral("exportToCSV:");
inline const QString PrintDocument = QStringLiteral("printDocument:");

// ---- Edit and Format
inline const QString Undo = QStringLiteral("undo:");
inline const QString Redo = QStringLiteral("redo:");
// Copy and Paste are the standard editing commands (a focused text field takes them first).
inline const QString Copy = QStringLiteral("copy:");
inline const QString CopyAsCSV = QStringLiteral("copyAsCSV:");
inline const QString CopyAsVCard = QStringLiteral("copyAsVCard:");
inline const QString Paste = QStringLiteral("paste:");
inline const QString OrderFrontFontPanel = QStringLiteral("orderFrontFontPanel:");
inline const QString ChangeFont = QStringLiteral("changeFont:");
inline const QString RevertToDefaultFont = QStringLiteral("revertToDefaultFont:");
// Edit > Find: the find window, the find bar's items (told apart by their titles) and the
// find button's action
inline const QString ShowFindPanel = QStringLiteral("showFindPanel:");
inline const QString PerformFindBarAction = QStringLiteral("performFindBarAction:");
inline const QString FindBarButtonClicked = QStringLiteral("findBarButtonClicked:");

// ---- Navigate: the toolbar's pull-downs
inline const QString ViewTypePopupSelected = QStringLiteral("viewTypePopupSelected:");
inline const QString ItemsPopupSelected = QStringLiteral("itemsPopupSelected:");
inline const QString LabelsPopupSelected = QStringLiteral("labelsPopupSelected:");
inline const QString SortOptionsSelected = QStringLiteral("sortOptionsSelected:");
inline const QString ShowCustomItems = QStringLiteral("showCustomItems:");
inline const QString ShowCustomLabelPanel = QStringLiteral("showCustomLabelPanel:");

// ---- View: panes and the edit button
inline const QString ToggleGroupView = QStringLiteral("toggleGroupView:");
inline const QString ToggleContactInfo = QStringLiteral("toggleContactInfo:");
inline const QString EditButtonClicked = QStringLiteral("editButtonClicked:");

// ---- Contact and Group
inline const QString AddContact = QStringLiteral("addContact:");
inline const QString DeleteContacts = QStringLiteral("deleteContacts:");
inline const QString DuplicateContacts = QStringLiteral("duplicateContacts:");
inline const QString ShowQRCode = QStringLiteral("showQRCode:");
inline const QString ToggleShowCompany = QStringLiteral("toggleShowCompany:");
inline const QString MergeContacts = QStringLiteral("mergeContacts:");
// The six layouts of Contact > Normalize Phone Numbers, told apart by their titles (the
// layouts' samples, never translated)
inline const QString NormalizePhoneNumber = QStringLiteral("normalizePhoneNumber:");
inline const QString AddGroup = QStringLiteral("addGroup:");
inline const QString DeleteGroup = QStringLiteral("deleteGroup:");

// ---- The detail panel's photo
inline const QString IconSizeBigger = QStringLiteral("iconSizeBigger:");
inline const QString IconSizeSmaller = QStringLiteral("iconSizeSmaller:");
inline const QString AddImage = QStringLiteral("addImage:");
inline const QString DeleteImage = QStringLiteral("deleteImage:");

// ---- The find window's filter pull-downs
inline const QString ItemPopupDidSelect = QStringLiteral("itemPopupDidSelect:");
inline const QString SubItemPopupDidSelect = QStringLiteral("subItemPopupDidSelect:");
inline const QString LabelPopupDidSelect = QStringLiteral("labelPopupDidSelect:");

// ---- Item commands of a contact table's context menu (the contacts table's, the merge sheet's)
inline const QString ShowPopoverWrapper = QStringLiteral("showPopoverWrapper:");
inline const QString InsertItem = QStringLiteral("insertItem:");
inline const QString DeleteItem = QStringLiteral("deleteItem:");
inline const QString ReplaceItem = QStringLiteral("replaceItem:");
inline const QString PrependItem = QStringLiteral("prependItem:");
inline const QString AppendItem = QStringLiteral("appendItem:");
inline const QString DoWorkspaceAction = QStringLiteral("doWorkspaceAction:");

// ---- The contacts table's header menu and the contact commands of its context menu (on
// the clicked row and the selection)
inline const QString SortOptionSelected = QStringLiteral("sortOptionSelected:");
inline const QString DeleteContact = QStringLiteral("deleteContact:");
inline const QString DuplicateContact = QStringLiteral("duplicateContact:");
inline const QString ExportContact = QStringLiteral("exportContact:");

} // namespace ActionId

// A controller's menu validation as a table: per action, the rule that says whether an
// item is enabled (a rule may also set the item's state or title). Actions without a rule
// take the controller's fallback answer.
template <typename Item> class ValidationTable {
public:
    using Rule = std::function<bool(Item &item)>;

    ValidationTable() = default;
    ValidationTable(std::initializer_list<std::pair<QString, Rule>> rules) {
        for (const auto &[action, rule] : rules)
            rules_.insert(action, rule);
    }

    bool contains(const QString &action) const { return rules_.contains(action); }
    void insert(const QString &action, Rule rule) { rules_.insert(action, std::move(rule)); }
    std::optional<bool> validate(Item &item, const QString &action) const {
        const auto rule = rules_.constFind(action);
        if (rule == rules_.constEnd())
            return std::nullopt;
        return (*rule)(item);
    }

private:
    QHash<QString, Rule> rules_;
};
