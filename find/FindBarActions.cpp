#include "find/FindBarActions.h"

#include "app/edits/DocumentEdits.h"
#include "contact_info/ContactInfoController.h"
#include "contacts_table/ContactsViewController.h"
#include "editors/FindHighlight.h"
#include "find/FindBarReplace.h"
#include "platform/core/Localization.h"
#include "platform/ui/Pasteboard.h"
#include "state/SharedSettings.h"
#include "state/WindowState.h"

#include <QLineEdit>
#include <QTableView>

namespace {

const QString CaseInsensitiveWord = QStringLiteral("caseInsensitive");
const QString CaseSensitiveWord = QStringLiteral("caseSensitive");

// While a match is selected the panes report to nobody: their selection changes must not
// move the find position to the selected row.
class DetachedFromPanes {
public:
    DetachedFromPanes(ContactsViewController *table, ContactInfoController *detail)
        : table_(table)
        , detail_(detail)
        , tableDelegate_(table->delegate())
        , detailDelegate_(detail->delegate()) {
        table_->setDelegate(nullptr);
        detail_->setDelegate(nullptr);
    }
    ~DetachedFromPanes() {
        table_->setDelegate(tableDelegate_);
        detail_->setDelegate(detailDelegate_);
    }
    DetachedFromPanes(const DetachedFromPanes &) = delete;
    DetachedFromPanes &operator=(const DetachedFromPanes &) = delete;

private:
    ContactsViewController *table_;
    ContactInfoController *detail_;
    ContactsViewControllerDelegate *tableDelegate_;
    ContactInfoControllerDelegate *detailDelegate_;
};

} // namespace

FindBarActions::FindBarActions(const Panes &panes, FindBarWindow &window, QObject *parent)
    : QObject(parent)
    , panes_(panes)
    , window_(window) {}

QString FindBarActions::findOptionsWord() const {
    return panes_.bar->isCaseInsensitive() ? CaseInsensitiveWord : CaseSensitiveWord;
}

void FindBarActions::setFindString(const QString &text) {
    panes_.state->setFindString(text);
    panes_.bar->searchField()->setText(text);
}

void FindBarActions::loadFindPasteboard() {
    Pasteboard &pasteboard = Pasteboard::find();
    if (pasteboard.availableTypeFromArray({PasteboardType::String}).isEmpty())
        return;
    setFindString(pasteboard.stringForType(PasteboardType::String));
}

// The marks go: the table repaints them from the window's state, the detail panel's cells
// are made again.
void FindBarActions::clearFind() {
    setFindString(QString());
    panes_.detail->updateTable();
}

void FindBarActions::showFindBar(bool show) {
    if (show)
        loadFindPasteboard();
    panes_.bar->setVisible(show, [window = &window_, guard = QPointer<FindBarActions>(this)] {
        if (guard)
            window->findBarDidShowOrHide();
    });
    if (show)
        panes_.bar->focusSearchField();
}

void FindBarActions::performFindBarAction(const QString &title) {
    loadFindPasteboard();
    if (title == L("Find…") || title == L("Find and Replace…")) {
        if (panes_.bar->isVisible()) {
            panes_.bar->setVisible(false);
            window_.setFindBarButtonTitle(L("Find"));
            clearFind();
        } else {
            panes_.bar->setVisible(true);
            window_.setFindBarButtonTitle(L("Hide"));
            panes_.bar->focusSearchField();
        }
        return;
    }
    const bool next = title == L("Find Next");
    if (!next && title != L("Find Previous"))
        return;
    const bool visible = window_.contactInfoVisible();
    const std::optional<FindTarget> target = next ? findNextString(panes_.state->findString(), visible)
                                                  : findPreviousString(panes_.state->findString(), visible);
    if (target)
        showMatchFromMenu(*target);
}

bool FindBarActions::enterTypedFindString() {
    const QString typed = panes_.bar->searchField()->text();
    if (typed == panes_.state->findString())
        return false;
    findStringDidChange(typed);
    return true;
}

void FindBarActions::findStringDidChange(const QString &text) {
    panes_.state->setFindString(text);
    if (!text.isEmpty()) {
        Pasteboard &pasteboard = Pasteboard::find();
        pasteboard.declareTypes({PasteboardType::String});
        pasteboard.setString(text, PasteboardType::String);
    }
    const std::optional<FindTarget> target = findNextString(text, window_.contactInfoVisible());
    panes_.state->setFindOptions(findOptionsWord());
    if (target)
        showMatchOfNewText(*target);
    else
        panes_.detail->updateTable();
}

void FindBarActions::findBarButtonDidPress(const QString &command) {
    if (command == FindBarCommand::Done) {
        clearFind();
        window_.findBarButtonClicked();
    } else if (command == FindBarCommand::OptionChanged) {
        panes_.state->setFindOptions(findOptionsWord());
        if (window_.contactInfoVisible())
            panes_.detail->updateTable();
    } else if (command == FindBarCommand::Next || command == FindBarCommand::Previous) {
        // Entering a typed text finds its next match, which is Next's; Previous steps back
        // from it to the match before where the search stood.
        if (enterTypedFindString() && command == FindBarCommand::Next)
            return;
        const bool visible = window_.contactInfoVisible();
        const std::optional<FindTarget> target =
            command == FindBarCommand::Next ? findNextString(panes_.state->findString(), visible)
                                            : findPreviousString(panes_.state->findString(), visible);
        if (target)
            showMatchFromBar(*target);
    } else if (command == FindBarCommand::Replace) {
        // The match a typed text's search selects is the one replaced.
        enterTypedFindString();
        replace();
    } else if (command == FindBarCommand::ReplaceAll) {
        enterTypedFindString();
        replaceAllFromBar();
    }
}

// ---- Showing a match

// A match the panel's walk found in another contact: the table selects that contact's row,
// as a click would (the panel shows it with its groups), and marks no match of its own.
void FindBarActions::showContactOfMatch(const FindTarget &target) {
    const std::optional<ContactEntry> &shown = panes_.detail->contact();
    if (!window_.contactInfoVisible() || !target.contact || (shown && shown->uniqueId == target.uniqueId))
        return;
    panes_.table->selectItemAndRange(target);
    panes_.table->selectItemAndRange(std::nullopt);
}

void FindBarActions::showMatchFromMenu(const FindTarget &target) {
    showContactOfMatch(target);
    DetachedFromPanes detached(panes_.table, panes_.detail);
    panes_.detail->selectItemAndRange(target);
    panes_.table->selectItemAndRange(target);
}

// A match in the panel is marked there only; the table selects its contact.
void FindBarActions::showMatchFromBar(const FindTarget &target) {
    showContactOfMatch(target);
    DetachedFromPanes detached(panes_.table, panes_.detail);
    if (window_.contactInfoVisible()) {
        panes_.detail->selectItemAndRange(target);
        panes_.table->selectItemAndRange(std::nullopt);
    } else {
        panes_.table->selectItemAndRange(target);
        panes_.detail->selectItemAndRange(target);
    }
}

void FindBarActions::showMatchOfNewText(const FindTarget &target) {
    showContactOfMatch(target);
    DetachedFromPanes detached(panes_.table, panes_.detail);
    panes_.detail->selectItemAndRange(target);
    if (window_.contactInfoVisible()) {
        panes_.detail->tableView()->setFocus();
        panes_.table->selectItemAndRange(std::nullopt);
    } else {
        panes_.table->selectItemAndRange(target);
        panes_.table->tableView()->setFocus();
    }
}

// ---- Finding

FindBarReplace::LabelShown FindBarActions::tableLabelShown() const {
    const SharedSettings *settings = panes_.settings;
    if (!settings)
        return {};
    return [settings](const std::optional<QString> &label) { return settings->labelPasses(label); };
}

FindBarScope FindBarActions::scope(bool contactInfoVisible) const {
    FindBarScope scope;
    scope.customItems = panes_.state->customItemsOrEmpty();
    scope.detailShown = contactInfoVisible;
    scope.rows = &panes_.table->subContactTable();
    if (contactInfoVisible) {
        const std::optional<ContactEntry> &shown = panes_.detail->contact();
        scope.contact = shown ? shown->person : nullptr;
        scope.rowOrder = panes_.detail->rowOrderTable().value_or(QStringList());
    } else {
        scope.columns = panes_.table->tableIdentfiers();
        scope.labelShown = tableLabelShown();
    }
    return scope;
}

std::optional<FindTarget> FindBarActions::find(const QString &findString, bool contactInfoVisible,
                                               FindDirection direction) {
    if (findString.isEmpty())
        return std::nullopt;
    panes_.state->setFindString(findString);
    const FindBarScope where = scope(contactInfoVisible);
    if (!panes_.state->findTarget())
        panes_.state->setFindTarget(FindBarSearch::startTarget(where));
    const FindTarget current = *panes_.state->findTarget();
    const FindBarSearch search(findString,
                               panes_.bar->isCaseInsensitive() ? Qt::CaseInsensitive : Qt::CaseSensitive);
    if (std::optional<FindTarget> hit = search.find(current, where, direction)) {
        panes_.state->setFindTarget(hit);
        return hit;
    }
    return current;
}

std::optional<FindTarget> FindBarActions::findNextString(const QString &findString, bool contactInfoVisible) {
    return find(findString, contactInfoVisible, FindDirection::Next);
}

std::optional<FindTarget> FindBarActions::findPreviousString(const QString &findString,
                                                             bool contactInfoVisible) {
    return find(findString, contactInfoVisible, FindDirection::Previous);
}

// ---- Replacing

bool FindBarActions::replaceByString(const QString &replacement, const FindTarget &target) {
    const SharedContactTable contacts = window_.findContactTable();
    if (!contacts || !panes_.state->editState())
        return false;
    FindBarReplace replacing(*panes_.edits, parent(), panes_.state->customItemsOrEmpty());
    // A match of the table's walk lies in a value the table shows; the filter may have
    // changed since it was found. The detail panel shows every value of its contact.
    const std::optional<ContactEntry> changed =
        replacing.replaceByString(replacement, target, *contacts, panes_.state->findString(),
                                  panes_.bar->isCaseInsensitive() ? Qt::CaseInsensitive : Qt::CaseSensitive,
                                  window_.contactInfoVisible() ? FindBarReplace::LabelShown() : tableLabelShown());
    if (!changed)
        return false;
    // The search goes on after the replacement, never into it.
    FindTarget replaced = target;
    replaced.range.length = replacement.size();
    if (replaced.itemRange.isFound())
        replaced.itemRange.length = replacement.size();
    panes_.state->setFindTarget(replaced);
    panes_.detail->setContact(&*changed);
    window_.setDocumentEdited();
    return true;
}

void FindBarActions::replace() {
    const QString replacement = panes_.bar->replaceString();
    const QString findString = panes_.state->findString();
    const std::optional<FindTarget> current = panes_.state->findTarget();
    if (findString.isEmpty() || !current)
        return;
    {
        DetachedFromPanes detached(panes_.table, panes_.detail);
        replaceByString(replacement, *current);
    }
    const bool visible = window_.contactInfoVisible();
    const std::optional<FindTarget> next = findNextString(findString, visible);
    if (!next)
        return;
    showContactOfMatch(*next);
    DetachedFromPanes detached(panes_.table, panes_.detail);
    if (visible) {
        panes_.detail->tableView()->setFocus();
        panes_.detail->selectItemAndRange(*next);
    } else {
        panes_.table->selectItemAndRange(*next);
        panes_.table->tableView()->setFocus();
    }
}

bool FindBarActions::replaceAll(const QString &replacement, Qt::CaseSensitivity caseSensitivity) {
    const SharedContactTable contacts = window_.findContactTable();
    const QString findString = panes_.state->findString();
    if (!contacts || findString.isEmpty() || !panes_.state->editState())
        return false;
    const QStringList columns = panes_.table->tableIdentfiers();
    QString shownId;
    if (window_.contactInfoVisible() && panes_.detail->contact())
        shownId = panes_.detail->contact()->uniqueId;
    FindBarReplace replacing(*panes_.edits, parent(), panes_.state->customItemsOrEmpty());
    const QStringList detailRows = FindBarReplace::detailIdentifiers(panes_.state->customItemsOrEmpty());
    bool changed = false;
    {
        // One undo step; the table's rows are rebuilt once, at its end.
        tessarin::BulkEdit bulk(panes_.edits);
        const auto inDetailPanel = [&](const ContactEntry &entry) {
            return !shownId.isEmpty() && entry.uniqueId == shownId;
        };
        // The detail panel's contact shows every value there; the others what the table shows.
        changed = replacing.replaceAll(
            findString, replacement, caseSensitivity, *contacts,
            [&](const ContactEntry &entry) { return inDetailPanel(entry) ? detailRows : columns; },
            [&](const ContactEntry &entry) {
                return inDetailPanel(entry) ? FindBarReplace::LabelShown() : tableLabelShown();
            });
    }
    if (changed)
        window_.setDocumentEdited();
    return changed;
}

void FindBarActions::replaceAllFromBar() {
    if (panes_.state->findString().isEmpty())
        return;
    const Qt::CaseSensitivity cs = findCaseSensitivity(panes_.state->findOptions());
    // Detached before the edits refresh the table, whose selection would take the current
    // match to the selected row.
    DetachedFromPanes detached(panes_.table, panes_.detail);
    replaceAll(panes_.bar->replaceString(), cs);
    // The edits' notice has reloaded the detail panel where it shows a changed contact.
    if (!window_.contactInfoVisible())
        panes_.table->tableView()->setFocus();
}
