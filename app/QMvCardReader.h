#pragma once

#include "app/ContactsReader.h"
#include "model/ContactContainers.h"

namespace tessarin {

// A file's contents as the file conversion reads them: the container table and the
// entries of the first container's all-contacts group.
class FileContents : public DocumentContents {
public:
    FileContents(std::shared_ptr<ContainerTable> containers, SharedContactTable contacts);
    qsizetype contactCount() const override;
    QStringList contactNames() const override;

    std::shared_ptr<ContainerTable> containerTable;
    SharedContactTable contactTable;
};

// The file conversion (QMvCard) behind the document.
class QMvCardReader : public ContactsReader {
public:
    DocumentContentsPtr containersFromVCards(const QString &text, PlatformError *error,
                                             const ProgressHandler &progress) override;
    DocumentContentsPtr containersFromCSV(const QString &text) override;
    DocumentContentsPtr emptyContainerTable() override;
};

} // namespace tessarin
