#include "tests/model/PersonTestSupport.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

// The contacts table builds its rows in four slices, each reading its own contacts,
// while the main thread may merge a user's address formats and edit the label tables.
// Run under ThreadSanitizer, this shows the shared class state is properly guarded.
TEST(QMPersonThreadsTest, RowThreadsReadTheirOwnContactsWhileClassStateChanges) {
    std::vector<std::unique_ptr<QMPerson>> people;
    for (int i = 0; i < 40; ++i) {
        CNContact contact = fullContact();
        contact.phoneNumbers.append({QStringLiteral("slice label %1").arg(i % 7), CNPhoneNumber("1")});
        people.push_back(std::make_unique<QMPerson>(contact));
        people.back()->setValue(LabeledValueList{textRecord("a", "b", 0)}, "Pets");
    }
    std::vector<std::thread> slices;
    for (int slice = 0; slice < 4; ++slice) {
        slices.emplace_back([&people, slice] {
            for (size_t i = slice; i < people.size(); i += 4) {
                QMPerson &person = *people[i];
                for (const QString &identifier : QMPerson::allIdentifiers())
                    person.stringValueForIdentifier(identifier);
                person.labeledValueForIdentifier(FieldId::Address, qsizetype(0));
                person.customValueForIdentifier("Pets");
                person.thumbnail();
                LabeledValueRecord address = person.addressValues().first();
                address.isoCountryCode.clear();
                QMPerson::updateAddressValue(address, true);
                QMPerson::setLabel(QString(), QStringLiteral("row %1").arg(i % 5), FieldId::Phone);
            }
        });
    }
    for (int round = 0; round < 5; ++round) {
        QJsonArray entries;
        entries.append(
            QJsonObject{{"CountryCode", "XQ"}, {"Country", "Zedland"}, {"formatString", "Street"}});
        QMPerson::setAddressFormatTable(entries);
        QMPerson::labelTableDict();
        QMPerson::setLabel(QString(), QStringLiteral("main %1").arg(round), FieldId::Email);
    }
    for (auto &thread : slices)
        thread.join();
    for (const auto &person : people)
        EXPECT_EQ(person->phoneValues().size(), 5);
    const QStringList phones = *QMPerson::labelsForIdentifier(FieldId::Phone);
    EXPECT_EQ(phones.count("row 0"), 1);
    EXPECT_EQ(QMPerson::addressFormatDict().value("XQ").country, "Zedland");
}

} // namespace
