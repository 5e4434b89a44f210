#pragma once

#include "model/ContactContainers.h"
#include "model/QMvCard.h"
#include "platform/ui/Dialogs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tessarin {

// What a read gives the document: the container table with the entries of the first
// container's all-contacts group. The document hands the tables to its window without
// looking inside, beyond whether it holds a contact.
class DocumentContents {
public:
    virtual ~DocumentContents() = default;
    // The entries of the all-contacts group of the first container.
    virtual qsizetype contactCount() const = 0;
    virtual QStringList contactNames() const = 0;
    // The tables the window takes over; the same table on every call.
    virtual std::shared_ptr<ContainerTable> containers() const = 0;
    // What the read could not take into a contact, for the user to be told once.
    virtual VCardLeftOut leftOut() const { return {}; }
};
using DocumentContentsPtr = std::shared_ptr<DocumentContents>;

// The file conversion as the document calls on it. Reads run on a worker thread while the
// main thread runs the progress window, so an implementation keeps no state between calls.
class ContactsReader {
public:
    // Called after each card with the position reached (UTF-16 code units); answering
    // false stops the parse.
    using ProgressHandler = std::function<bool(qsizetype position)>;

    virtual ~ContactsReader() = default;
    // The vCard cards of the text, in their containers; a failure of the parse is reported
    // through error. Without a handler the parse runs to the end.
    virtual DocumentContentsPtr containersFromVCards(const QString &text, PlatformError *error,
                                                     const ProgressHandler &progress) = 0;
    // The contacts of CSV text, inside one "vCard" container and its "All Contacts" group;
    // progress as for vCard, after each line.
    virtual DocumentContentsPtr containersFromCSV(const QString &text, const ProgressHandler &progress) = 0;
    // An untitled document's table: one "vCard" container with an empty all-contacts group.
    virtual DocumentContentsPtr emptyContainerTable() = 0;

    using Ptr = std::shared_ptr<ContactsReader>;
    static Ptr shared();
    static void setShared(Ptr reader);
};

} // namespace tessarin
