#pragma once

#include "app/reading/ContactsReader.h"
#include "model/ContactContainers.h"
#include "model/QMvCard.h"

namespace tessarin {

// A file's contents as the file conversion reads them: the container table and the
// entries of the first container's all-contacts group.
class FileContents : public DocumentContents {
public:
    FileContents(std::shared_ptr<ContainerTable> containers, SharedContactTable contacts,
                 const VCardLeftOut &leftOut = {});
    qsizetype contactCount() const override;
    QStringList contactNames() const override;
    std::shared_ptr<ContainerTable> containers() const override { return containerTable; }
    VCardLeftOut leftOut() const override { return leftOutOfRead; }

    std::shared_ptr<ContainerTable> containerTable;
    SharedContactTable contactTable;
    VCardLeftOut leftOutOfRead;
};

// The cards of vCard text as the entries of its first container's first group: what an
// import or a drop of cards adds. Empty when the text holds none or the handler stopped;
// what the read left out goes to *leftOut.
ContactTable contactsFromVCards(const QString &text, const QMvCard::ProgressHandler &progress = {},
                                VCardLeftOut *leftOut = nullptr);

// The file conversion (QMvCard) behind the document.
class QMvCardReader : public ContactsReader {
public:
    DocumentContentsPtr containersFromVCards(const QString &text, PlatformError *error,
                                             const ProgressHandler &progress) override;
    DocumentContentsPtr containersFromCSV(const QString &text, const ProgressHandler &progress) override;
    DocumentContentsPtr emptyContainerTable() override;
};

} // namespace tessarin
