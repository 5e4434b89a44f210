#pragma once

#include "find/FindBarController.h"
#include "find/FindBarReplace.h"
#include "find/FindBarSearch.h"
#include "model/ContactContainers.h"
#include "model/FindTarget.h"

#include <QObject>
#include <QPointer>

#include <optional>

class ContactInfoController;
class ContactsViewController;
class SharedSettings;
class WindowState;

namespace tessarin {
class DocumentEdits;
}

// What the find bar's actions ask of the document window that shows it.
class FindBarWindow {
public:
    virtual ~FindBarWindow() = default;
    // The selected group's contacts.
    virtual SharedContactTable findContactTable() const = 0;
    virtual bool contactInfoVisible() const = 0;
    virtual void setDocumentEdited() = 0;
    // The toolbar's find button: its action, its title, and its enabling again once the bar
    // has shown or hidden.
    virtual void findBarButtonClicked() = 0;
    virtual void setFindBarButtonTitle(const QString &title) = 0;
    virtual void findBarDidShowOrHide() = 0;
};

// The main view controller's side of the find bar: it keeps the find text, the case option
// and the current match in the window's state (where the table and the detail panel read
// them for their marks), runs find next and previous over the shown rows or the shown
// contact, replaces, and shows each match in the pane that found it. While it selects a
// match it is no delegate of the panes, so that the selection does not move the find
// position back to the row's name.
class FindBarActions : public QObject {
    Q_OBJECT
public:
    struct Panes {
        FindBarController *bar = nullptr;
        ContactsViewController *table = nullptr;
        ContactInfoController *detail = nullptr;
        WindowState *state = nullptr;
        SharedSettings *settings = nullptr;
        tessarin::DocumentEdits *edits = nullptr;
    };
    // The parent is the main view controller, which the edits are told asked for a change.
    FindBarActions(const Panes &panes, FindBarWindow &window, QObject *parent);

    // Shows the bar (taking the find pasteboard's text) or hides it, leaving the search as it is.
    void showFindBar(bool show);
    // The Edit > Find items, told apart by their titles.
    void performFindBarAction(const QString &title);
    void findStringDidChange(const QString &text);
    void findBarButtonDidPress(const QString &command);

    // The next (previous) match from the current one, which becomes it; the current match
    // when none is found; none for an empty find text.
    std::optional<FindTarget> findNextString(const QString &findString, bool contactInfoVisible);
    std::optional<FindTarget> findPreviousString(const QString &findString, bool contactInfoVisible);
    // Replaces the match; answers whether a contact changed.
    bool replaceByString(const QString &replacement, const FindTarget &target);
    // Replaces every occurrence in the selected group as one undo step; answers whether a
    // contact changed.
    bool replaceAll(const QString &replacement, Qt::CaseSensitivity caseSensitivity);

    // "caseInsensitive" or "caseSensitive", as the bar's option says.
    QString findOptionsWord() const;

private:
    std::optional<FindTarget> find(const QString &findString, bool contactInfoVisible,
                                   FindDirection direction);
    FindBarScope scope(bool contactInfoVisible) const;
    // The values the contacts table shows: those its label filter lets through.
    FindBarReplace::LabelShown tableLabelShown() const;
    void showContactOfMatch(const FindTarget &target);
    // Takes the find pasteboard's text, when it holds one, as the find text.
    void loadFindPasteboard();
    void setFindString(const QString &text);
    // A text typed into the search field and not entered (Return) is entered first by the
    // buttons, as Return does; answers whether there was one.
    bool enterTypedFindString();
    void clearFind();
    // The three ways a match is shown: from the menu, the bar's buttons and a new find text.
    void showMatchFromMenu(const FindTarget &target);
    void showMatchFromBar(const FindTarget &target);
    void showMatchOfNewText(const FindTarget &target);
    void replace();
    void replaceAllFromBar();

    Panes panes_;
    FindBarWindow &window_;
};
