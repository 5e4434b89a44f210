#include "app/reading/QMvCardReader.h"

#include "model/QMvCard.h"

namespace tessarin {

namespace {

DocumentContentsPtr contentsOf(std::shared_ptr<ContainerTable> containers, const VCardLeftOut &leftOut = {}) {
    if (!containers)
        return nullptr;
    SharedContactTable contacts =
        containers->isEmpty() ? nullptr : QMvCard::contactsInContainer(containers->first());
    return std::make_shared<FileContents>(std::move(containers), std::move(contacts), leftOut);
}

} // namespace

ContactTable contactsFromVCards(const QString &text, const QMvCard::ProgressHandler &progress,
                                VCardLeftOut *leftOut) {
    const std::shared_ptr<ContainerTable> containers =
        QMvCard().containersFromVCards(text, nullptr, progress, leftOut);
    if (!containers || containers->isEmpty() || containers->first().groups.isEmpty())
        return {};
    const ContainerRecord &container = containers->first();
    const SharedContactTable contacts = QMvCard::contactsForGroup(*container.groups.first(), container);
    return contacts ? *contacts : ContactTable();
}

FileContents::FileContents(std::shared_ptr<ContainerTable> containers, SharedContactTable contacts,
                           const VCardLeftOut &leftOut)
    : containerTable(std::move(containers))
    , contactTable(std::move(contacts))
    , leftOutOfRead(leftOut) {}

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

namespace {

QMvCard::ProgressHandler converted(const ContactsReader::ProgressHandler &progress) {
    if (!progress)
        return {};
    return [&progress](bool *stop, quint64 position) { *stop = !progress(qsizetype(position)); };
}

} // namespace

DocumentContentsPtr QMvCardReader::containersFromVCards(const QString &text, PlatformError *,
                                                        const ProgressHandler &progress) {
    // The reader skips what it cannot read and reports no error of its own.
    const QMvCard::ProgressHandler handler = converted(progress);
    VCardLeftOut leftOut;
    std::shared_ptr<ContainerTable> containers =
        QMvCard().containersFromVCards(text, nullptr, handler, &leftOut);
    return contentsOf(std::move(containers), leftOut);
}

DocumentContentsPtr QMvCardReader::containersFromCSV(const QString &text, const ProgressHandler &progress) {
    return contentsOf(QMvCard().containersFromCSV(text, converted(progress)));
}

DocumentContentsPtr QMvCardReader::emptyContainerTable() {
    return contentsOf(QMvCard().containersFromVCards(QString()));
}

} // namespace tessarin
