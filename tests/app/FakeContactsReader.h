#pragma once

#include "app/reading/ContactsReader.h"
#include "model/QMPerson.h"

#include <QStringList>
#include <QThread>

#include <atomic>

// Stands in for the file conversion: a card is "BEGIN:VCARD" ... "END:VCARD", its name the
// FN line; a CSV row is a line after the header, its name the first cell. Tests can slow
// the parse down or hold it until released.
class FakeContactsReader : public tessarin::ContactsReader {
public:
    struct Contents : tessarin::DocumentContents {
        QStringList names;
        qsizetype contactCount() const override { return names.size(); }
        QStringList contactNames() const override { return names; }
        // One "vCard" container whose all-contacts group holds a contact per name.
        std::shared_ptr<ContainerTable> containers() const override {
            if (table)
                return table;
            auto group = std::make_shared<GroupRecord>();
            group->top = true;
            group->name = QStringLiteral("All Contacts");
            group->containerName = VCardContainerName;
            group->uniqueId = QString();
            for (const QString &name : names) {
                auto person = std::make_shared<QMPerson>();
                NameRecord record;
                record.firstName = name;
                person->setNameValue(record, FieldId::Name);
                group->contactTable->append(ContactEntry::withPerson(person));
            }
            ContainerRecord container;
            container.name = VCardContainerName;
            container.groups = {group};
            table = std::make_shared<ContainerTable>(ContainerTable{container});
            return table;
        }
        mutable std::shared_ptr<ContainerTable> table;
    };

    tessarin::DocumentContentsPtr containersFromVCards(const QString &text, PlatformError *error,
                                                       const ProgressHandler &progress) override {
        ++parses;
        while (held.load())
            QThread::msleep(2);
        if (failWith.code != 0) {
            *error = failWith;
            return nullptr;
        }
        auto contents = std::make_shared<Contents>();
        qsizetype position = 0;
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString &rawLine : lines) {
            position += rawLine.size() + 1;
            const QString line = rawLine.trimmed();
            if (line.startsWith(QLatin1String("FN"), Qt::CaseInsensitive))
                contents->names.append(line.section(QLatin1Char(':'), 1));
            if (line.compare(QLatin1String("END:VCARD"), Qt::CaseInsensitive) == 0) {
                if (cardDelayMilliseconds > 0)
                    QThread::msleep(cardDelayMilliseconds);
                if (progress && !progress(std::min(position, text.size()))) {
                    stopped = true;
                    return nullptr;
                }
            }
        }
        return contents;
    }

    tessarin::DocumentContentsPtr containersFromCSV(const QString &text, const ProgressHandler &progress) override {
        ++csvParses;
        while (held.load())
            QThread::msleep(2);
        auto contents = std::make_shared<Contents>();
        const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            contents->names.append(lines[i].section(QLatin1Char(','), 0, 0).trimmed());
            if (progress && !progress(text.size() * (i + 1) / lines.size())) {
                stopped = true;
                return nullptr;
            }
        }
        return contents;
    }

    tessarin::DocumentContentsPtr emptyContainerTable() override { return std::make_shared<Contents>(); }

    std::atomic<int> parses{0};
    std::atomic<int> csvParses{0};
    std::atomic<bool> held{false};
    std::atomic<bool> stopped{false};
    int cardDelayMilliseconds = 0;
    PlatformError failWith;
};
