#pragma once

#include "app/transfer/TransferWindow.h"

#include <QObject>

namespace tessarin {

class TransferGuard;

// File > Import vCard… and Import CSV…: an open panel with the encoding choice, the file
// read (a vCard file behind the progress window), then the selection sheet, whose Select adds
// the ticked contacts to the shown group as one undo step.
class ImportCommand : public QObject {
    Q_OBJECT
public:
    // The window's commands share the busy flag.
    ImportCommand(TransferWindow &window, std::shared_ptr<bool> busy, QObject *parent);

    void importFromVCard();
    void importFromCSV();

private:
    // The selection sheet; its end adds the chosen contacts and lets the guard go.
    void showImportPanel(const QString &fileName, const ContactTable &contacts, TransferGuard guard);

    TransferWindow &window_;
    std::shared_ptr<bool> busy_;
};

} // namespace tessarin
