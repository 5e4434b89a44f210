#pragma once

#include "model/ContactContainers.h"

#include <QList>

#include <memory>
#include <optional>

class ContactsViewController;
class Window;

namespace tessarin {

class DocumentEdits;
class ImportPanelController;
class ProgressAlert;

// What the import and export commands need of their document window: the window their
// sheets, panels and alerts belong to, the progress window, the table's selection, the shown
// group, the window's custom items, and adding contacts. The window controller answers.
class TransferWindow {
public:
    virtual ~TransferWindow() = default;
    virtual Window *transferWindow() = 0;
    // Made on first use and kept for the window's later commands.
    virtual ProgressAlert *progressAlert() = 0;
    virtual ImportPanelController *importPanelController() = 0;
    virtual ContactsViewController *contactsViewController() const = 0;
    // The shown group: an import adds to it, an export takes its container's group names.
    virtual SharedGroup shownGroup() const = 0;
    virtual SharedContactTable shownContactTable() const = 0;
    virtual DocumentEdits *documentEdits() const = 0;
    // Adds contacts the way every contact enters the window (one undo step, edited mark).
    virtual void addContacts(const QList<ContactEntry> &contacts, const SharedGroup &group) = 0;
    virtual QList<CustomItemDefinition> windowCustomItems() const = 0;
    // The folder of the document's file, where its panels start; empty without a file.
    virtual QString documentFolder() const = 0;
};

// One import or export of a window at a time: while a guard lives the window's flag is
// set, and the window's other commands do nothing. Every end of a command, Cancel and
// failures included, lets the guard go.
class TransferGuard {
public:
    // None while another command of the window holds the flag.
    static std::optional<TransferGuard> enter(const std::shared_ptr<bool> &busy);
    TransferGuard(TransferGuard &&other) noexcept : busy_(std::move(other.busy_)) {}
    TransferGuard(const TransferGuard &) = delete;
    TransferGuard &operator=(const TransferGuard &) = delete;
    TransferGuard &operator=(TransferGuard &&) = delete;
    ~TransferGuard() { release(); }
    void release() {
        if (busy_)
            *busy_ = false;
        busy_.reset();
    }

private:
    explicit TransferGuard(std::shared_ptr<bool> busy)
        : busy_(std::move(busy)) {}
    std::shared_ptr<bool> busy_;
};

inline std::optional<TransferGuard> TransferGuard::enter(const std::shared_ptr<bool> &busy) {
    if (*busy)
        return std::nullopt;
    *busy = true;
    return TransferGuard(busy);
}

} // namespace tessarin
