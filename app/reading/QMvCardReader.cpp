#include "app/reading/QMvCardReader.h"

#include "model/QMvCard.h"
#include "platform/core/Localization.h"

namespace tessarin {

namespace {

DocumentContentsPtr contentsOf(std::shared_ptr<ContainerTable> containers) {
    if (!containers)
        return nullptr;
    SharedContactTable contacts =
        containers->isEmpty() ? nullptr : QMvCard::contactsInContainer(containers->first());
    return std::make_shared<FileContents>(std::move(containers), std::move(contacts));
}

} // namespace

ContactTable contactsFromVCards(const QString &text, const QMvCard::ProgressHandler &progress) {
    const std::shared_ptr<ContainerTable> containers = QMvCard().containersFromVCards(text, nullptr, progress);
    if (!containers || containers->isEmpty() || containers->first().groups.isEmpty())
        return {};
    const ContainerRecord &container = containers->first();
    const SharedContactTable contacts = QMvCard::contactsForGroup(*container.groups.first(), container);
    return contacts ? *contacts : ContactTable();
}

FileContents::FileContents(std::shared_ptr<ContainerTable> containers, SharedContactTable contacts)
    : containerTable(std::move(containers))
    , contactTable(std::move(contacts)) {}

qsizetype FileContents::contactCount() const {
    return contactTable ? contactTable->size() : 0;
}

QStringList FileContents::contactNames() const {
    QStringList names;
    if (!contactTable)
        return names;
    names.reserve(contactTable->size());
    for (const ContactEntry &entry : std::as_const(*contactTable))
        names.append(entry.person->compositeName());
    return names;
}

DocumentContentsPtr QMvCardReader::containersFromVCards(const QString &text, PlatformError *,
                                                        const ProgressHandler &progress) {
    // The reader skips what it cannot read and reports no error of its own.
    QMvCard::ProgressHandler handler;
    if (progress)
        handler = [&progress](bool *stop, quint64 position) { *stop = !progress(qsizetype(position)); };
    return contentsOf(QMvCard().containersFromVCards(text, nullptr, handler));
}

DocumentContentsPtr QMvCardReader::containersFromCSV(const QString &text) {
    auto group = std::make_shared<GroupRecord>();
    group->top = true;
    group->name = L("All Contacts");
    group->containerName = VCardContainerName;
    group->uniqueId = QString();
    group->containerIdentifier = QString();
    *group->contactTable = QMvCard().contactsFromCSV(text);
    ContainerRecord container;
    container.name = VCardContainerName;
    container.type = 1;
    container.groups.append(group);
    auto containers = std::make_shared<ContainerTable>();
    containers->append(std::move(container));
    return std::make_shared<FileContents>(std::move(containers), group->contactTable);
}

DocumentContentsPtr QMvCardReader::emptyContainerTable() {
    return contentsOf(QMvCard().containersFromVCards(QString()));
}

} // namespace tessarin
