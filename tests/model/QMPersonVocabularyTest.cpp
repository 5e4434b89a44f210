#include "tests/model/PersonTestSupport.h"

#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

TEST(QMPersonVocabularyTest, EveryDefaultWordConvertsBothWaysAndHasATitle) {
    for (const QString &identifier : QMPerson::labelTableDict().keys()) {
        SCOPED_TRACE(identifier.toStdString());
        EXPECT_EQ(QMPerson::labelsForIdentifier(identifier)->size(),
                  QMPerson::localizedLabelsForIdentifier(identifier)->size());
    }
    for (const QString &identifier : {FieldId::Email, FieldId::Phone, FieldId::Address, FieldId::URL,
                                      FieldId::Relationship, FieldId::Dates, FieldId::InstantMessage}) {
        const QStringList words = QMPerson::labelsForIdentifier(identifier).value();
        for (const QString &word : words) {
            SCOPED_TRACE(word.toStdString());
            if (word == NoLabel ||
                QMPerson::customLabelsForIdentifier(identifier).value_or(QStringList()).contains(word))
                continue;
            EXPECT_EQ(QMPerson::labelFromCNLabel(QMPerson::CNLabelFromLabel(word)), word);
        }
    }
    EXPECT_EQ(QMPerson::localizedLabelsForIdentifier(FieldId::URL)->first(), "homepage");
}

// Every field a card shows is listed once, and every field and address part has a title of
// its own: from its contact key, its address key, or its own name.
TEST(QMPersonVocabularyTest, EveryFieldIsListedOnceWithATitleOfItsOwn) {
    const QStringList fields = QMPerson::allIdentifiers();
    for (const QString &identifier :
         QMPerson::labeledIdentifiers() + QMPerson::stringIdentifiers() +
             QStringList{FieldId::Name, FieldId::PhoneticName, FieldId::Birthday, FieldId::Photo})
        EXPECT_EQ(fields.count(identifier), 1) << identifier.toStdString();
    QSet<QString> titles;
    for (const QString &identifier : fields + QMPerson::addressIdentifiers())
        titles.insert(QMPerson::localizedIdentifierForKey(identifier));
    EXPECT_EQ(titles.size(), fields.size() + QMPerson::addressIdentifiers().size());
    // Readable titles, never a key that is stored or compared: fields, parts, options, slots.
    const std::pair<const char *, const char *> shown[] = {
        {"Phone", "Phone"},           {"Street", "Street"},           {"Phonetic Name", "Phonetic Name"},
        {"compositeName", "Full Name"}, {"MiddleName", "Middle Name"},   {"PreviousFamilyName", "Maiden Name"},
        {"Phonetic FirstName", "Phonetic First Name"}, {"username", "User Name"},
        {"Home-Email", "Home Email"}, {"Work-SNS", "Work Social Network"}, {"My Item", "My Item"}};
    for (const auto &[key, title] : shown)
        EXPECT_EQ(QMPerson::localizedIdentifierForKey(key), title) << key;
}

TEST(QMPersonVocabularyTest, LabelConversionSpecialCases) {
    const std::pair<std::optional<QString>, QString> fromContact[] = {
        {std::nullopt, NoLabel},
        {QString(), NoLabel},
        {"All", "All"},
        {CNLabelPhoneNumberiPhone, "iPhone"},
        {CNLabelContactRelationSon, "son"},
        {"_$!<Cottage>!$_", "Cottage"},
        {"_$!<>!$_", NoLabel},
        {"my own", "my own"},
        // Short or half-wrapped labels come back unchanged instead of being cut.
        {"_$!<", "_$!<"},
        {"x_$!<Boat", "x_$!<Boat"},
        {"_$!<Boat", "_$!<Boat"}};
    for (const auto &[label, word] : fromContact)
        EXPECT_EQ(QMPerson::labelFromCNLabel(label), word) << label.value_or("(none)").toStdString();
    const std::pair<QString, QString> toContact[] = {{"partner", CNLabelContactRelationPartner},
                                                     {"daughter", CNLabelContactRelationDaughter},
                                                     {"Main", "Main"},
                                                     {NoLabel, NoLabel},
                                                     {"All", "All"}};
    for (const auto &[word, label] : toContact)
        EXPECT_EQ(QMPerson::CNLabelFromLabel(word), label) << word.toStdString();
    EXPECT_FALSE(QMPerson::CNLabelFromLabel(std::nullopt).has_value());
}

TEST(QMPersonVocabularyTest, AddingRenamingAndDeletingLabels) {
    const QString id = QStringLiteral("Phone");
    const qsizetype before = QMPerson::labelsForIdentifier(id)->size();
    EXPECT_FALSE(QMPerson::setLabel(QString(), QStringLiteral("mobile"), id));
    EXPECT_FALSE(QMPerson::setLabel(QString(), QString(), id)) << "the empty word is no label";
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->size(), before);

    EXPECT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("boat"), id));
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->last(), "boat");
    EXPECT_EQ(QMPerson::localizedLabelsForIdentifier(id)->last(), "boat");
    EXPECT_TRUE(QMPerson::customLabelsForIdentifier(id)->contains("boat"));

    EXPECT_TRUE(QMPerson::setLabel(QStringLiteral("boat"), QStringLiteral("ship"), id));
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->at(before), "ship");
    EXPECT_EQ(QMPerson::localizedLabelsForIdentifier(id)->at(before), "ship");
    EXPECT_FALSE(QMPerson::customLabelsForIdentifier(id)->contains("boat"));

    EXPECT_TRUE(QMPerson::setLabel(QStringLiteral("ship"), QString(), id));
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->size(), before + 1) << "deleting keeps the position";
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->at(before), QString());
    EXPECT_EQ(QMPerson::localizedLabelsForIdentifier(id)->at(before), QString());

    EXPECT_TRUE(QMPerson::setLabel(QStringLiteral("never there"), QStringLiteral("raft"), id));
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->last(), "raft");
    EXPECT_EQ(QMPerson::localizedLabelsForIdentifier(id)->last(), "raft");

    // A field without lists gets them at its first word.
    const QString item = QStringLiteral("Vocabulary Item");
    EXPECT_FALSE(QMPerson::customLabelsForIdentifier(item).has_value());
    EXPECT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("a"), item));
    EXPECT_EQ(*QMPerson::labelsForIdentifier(item), QStringList{"a"});
    EXPECT_EQ(*QMPerson::localizedLabelsForIdentifier(item), QStringList{"a"});
    EXPECT_EQ(*QMPerson::customLabelsForIdentifier(item), QStringList{"a"});
}

// Registration remembers, per thread, the labels it found: a rename or a deletion, on
// this thread or another, must make a later registration add the word again.
TEST(QMPersonVocabularyTest, ALabelRenamedAwayIsRegisteredAgain) {
    const QString id = QStringLiteral("Renamed Field");
    EXPECT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("oar"), id));
    EXPECT_FALSE(QMPerson::setLabel(QString(), QStringLiteral("oar"), id));
    EXPECT_FALSE(QMPerson::setLabel(QString(), QStringLiteral("oar"), id)) << "known word, still known";

    EXPECT_TRUE(QMPerson::setLabel(QStringLiteral("oar"), QStringLiteral("paddle"), id));
    EXPECT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("oar"), id)) << "renamed away, so new again";
    EXPECT_FALSE(QMPerson::setLabel(QString(), QStringLiteral("oar"), id));

    std::thread([&] { EXPECT_TRUE(QMPerson::setLabel(QStringLiteral("oar"), QString(), id)); }).join();
    EXPECT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("oar"), id)) << "deleted on another thread";
    EXPECT_EQ(QMPerson::labelsForIdentifier(id)->count(QStringLiteral("oar")), 1);
}

TEST(QMPersonVocabularyTest, LabelTableDictMergesCustomWordsKeepingTitlesAligned) {
    QMPerson person;
    QMPerson::setLabel(QString(), QStringLiteral("x0"), QStringLiteral("Merge Item"));
    person.setValue(LabeledValueList{textRecord("x1", "one")}, QStringLiteral("Merge Item"));
    EXPECT_FALSE(QMPerson::labelsForIdentifier("Merge Item")->contains("x1"));
    EXPECT_EQ(QMPerson::labelTableDict().value("Merge Item"), (QStringList{"x0", "x1"}));
    EXPECT_EQ(*QMPerson::localizedLabelsForIdentifier("Merge Item"), (QStringList{"x0", "x1"}));
}

// Row-building threads register the labels they meet while the main thread reads the
// tables; each word must land once and the lists stay aligned. Also run under
// ThreadSanitizer.
TEST(QMPersonVocabularyTest, ConcurrentRegistrationRegistersEachWordOnce) {
    const QString id = QStringLiteral("Concurrent Field");
    std::vector<std::thread> threads;
    std::atomic<int> added = 0;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                if (QMPerson::setLabel(QString(), QStringLiteral("w%1").arg(i), id))
                    ++added;
                QMPerson::labelsForIdentifier(id);
                QMPerson::labelFromCNLabel(CNLabelHome);
            }
        });
    }
    for (int i = 0; i < 50; ++i) {
        QMPerson::labelTableDict();
        QMPerson::localizedLabelsForIdentifier(id);
    }
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(added.load(), 200);
    const QStringList labels = *QMPerson::labelsForIdentifier(id);
    EXPECT_EQ(labels.size(), 200);
    EXPECT_EQ(QSet<QString>(labels.begin(), labels.end()).size(), 200);
    EXPECT_EQ(QMPerson::localizedLabelsForIdentifier(id)->size(), 200);
    EXPECT_EQ(QMPerson::customLabelsForIdentifier(id)->size(), 200);
}

// The contacts table builds its rows in four slices, each reading its own contacts,
// while the main thread may merge a user's address formats and edit the label tables.
// Run under ThreadSanitizer, this shows the shared class state is properly guarded.
TEST(QMPersonVocabularyTest, RowThreadsReadTheirOwnContactsWhileClassStateChanges) {
    const auto formatsBefore = QMPerson::addressFormatDict();
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
    EXPECT_EQ(QMPerson::labelsForIdentifier(FieldId::Phone)->count("row 0"), 1);
    EXPECT_EQ(QMPerson::addressFormatDict().value("XQ").country, "Zedland");
    QMPerson::setAddressFormatDict(formatsBefore);
}

} // namespace
