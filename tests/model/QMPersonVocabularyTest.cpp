#include "model/QMPerson.h"
#include "platform/contacts/CNLabels.h"

#include <gtest/gtest.h>

#include <QSet>

#include <atomic>
#include <thread>
#include <vector>

namespace {

const QStringList kWordFields = {FieldId::Email,        FieldId::Phone, FieldId::Address,       FieldId::URL,
                                 FieldId::Relationship, FieldId::Dates, FieldId::InstantMessage};

TEST(QMPersonVocabularyTest, IdentifierListsInTheirOrder) {
    EXPECT_EQ(QMPerson::allIdentifiers().size(), 19);
    EXPECT_EQ(QMPerson::allIdentifiers().first(), FieldId::Name);
    EXPECT_EQ(QMPerson::allIdentifiers().last(), FieldId::Photo);
    EXPECT_EQ(QMPerson::labeledIdentifiers(),
              (QStringList{"Email", "Instant Message", "Social Network", "URL", "Phone", "Address",
                           "Relationship", "Dates"}));
    EXPECT_EQ(QMPerson::stringIdentifiers(),
              (QStringList{"Company", "Department", "Nickname", "Job Title", "Title", "Note", "Suffix"}));
    EXPECT_EQ(QMPerson::addressIdentifiers(), (QStringList{"ZIP", "State", "City", "Street", "Country"}));
    EXPECT_EQ(QMPerson::CNIdentifiers().size(), 20);
    EXPECT_EQ(QMPerson::CNIdentifiers().value("Title"), CNContactNamePrefixKey);
    EXPECT_FALSE(QMPerson::CNIdentifiers().contains("Name"));
}

TEST(QMPersonVocabularyTest, DefaultLabelLists) {
    EXPECT_EQ(*QMPerson::labelsForIdentifier(FieldId::Phone),
              (QStringList{"home", "work", "other", "main", "mobile", "iPhone", "pager", "home fax",
                           "work fax", "other fax"}));
    EXPECT_EQ(*QMPerson::labelsForIdentifier(FieldId::URL),
              (QStringList{"home page", "home", "work", "other"}));
    EXPECT_EQ(QMPerson::labelsForIdentifier(FieldId::Relationship)->size(), 13);
    EXPECT_EQ(QMPerson::labelsForIdentifier(FieldId::Relationship)->last(), "daughter");
    const QStringList services = *QMPerson::labelsForIdentifier(FieldId::SocialNetwork);
    ASSERT_GE(services.size(), 16);
    EXPECT_EQ(services.first(), CNSocialProfileServiceTwitter);
    EXPECT_EQ(services.at(15), "WhatsApp");
    EXPECT_EQ(QMPerson::labelsForIdentifier(FieldId::NameOrdering)->first(), "System Default (LastName)");
    EXPECT_EQ(*QMPerson::labelsForIdentifier(FieldId::ShowAsPerson), (QStringList{"Person", "Company"}));
    EXPECT_FALSE(QMPerson::labelsForIdentifier("Nothing such").has_value());
}

TEST(QMPersonVocabularyTest, LocalizedListsAlignWithLabelLists) {
    for (const QString &identifier : QMPerson::labelTableDict().keys()) {
        SCOPED_TRACE(identifier.toStdString());
        EXPECT_EQ(QMPerson::labelsForIdentifier(identifier)->size(),
                  QMPerson::localizedLabelsForIdentifier(identifier)->size());
    }
    EXPECT_EQ(QMPerson::localizedLabelsForIdentifier(FieldId::URL)->first(), "homepage");
}

TEST(QMPersonVocabularyTest, EveryDefaultWordConvertsBothWays) {
    for (const QString &identifier : kWordFields) {
        const QStringList words = QMPerson::labelsForIdentifier(identifier).value();
        for (const QString &word : words) {
            SCOPED_TRACE(word.toStdString());
            if (word == NoLabel ||
                QMPerson::customLabelsForIdentifier(identifier).value_or(QStringList()).contains(word))
                continue;
            EXPECT_EQ(QMPerson::labelFromCNLabel(QMPerson::CNLabelFromLabel(word)), word);
        }
    }
}

TEST(QMPersonVocabularyTest, LabelConversionSpecialCases) {
    EXPECT_EQ(QMPerson::labelFromCNLabel(std::nullopt), NoLabel);
    EXPECT_EQ(QMPerson::labelFromCNLabel(QString()), NoLabel);
    EXPECT_EQ(QMPerson::labelFromCNLabel(QStringLiteral("All")), "All");
    EXPECT_EQ(QMPerson::labelFromCNLabel(CNLabelPhoneNumberiPhone), "iPhone");
    EXPECT_EQ(QMPerson::labelFromCNLabel(CNLabelContactRelationSon), "son");
    EXPECT_EQ(QMPerson::labelFromCNLabel(QStringLiteral("_$!<Cottage>!$_")), "Cottage");
    EXPECT_EQ(QMPerson::labelFromCNLabel(QStringLiteral("_$!<>!$_")), NoLabel);
    EXPECT_EQ(QMPerson::labelFromCNLabel(QStringLiteral("my own")), "my own");
    // Short or half-wrapped labels come back unchanged instead of being cut.
    EXPECT_EQ(QMPerson::labelFromCNLabel(QStringLiteral("_$!<")), "_$!<");
    EXPECT_EQ(QMPerson::labelFromCNLabel(QStringLiteral("x_$!<Boat")), "x_$!<Boat");
    EXPECT_EQ(QMPerson::labelFromCNLabel(QStringLiteral("_$!<Boat")), "_$!<Boat");

    EXPECT_EQ(QMPerson::CNLabelFromLabel(QStringLiteral("partner")), CNLabelContactRelationPartner);
    EXPECT_EQ(QMPerson::CNLabelFromLabel(QStringLiteral("daughter")), CNLabelContactRelationDaughter);
    EXPECT_EQ(QMPerson::CNLabelFromLabel(QStringLiteral("Main")), "Main");
    EXPECT_EQ(QMPerson::CNLabelFromLabel(NoLabel), NoLabel);
    EXPECT_EQ(QMPerson::CNLabelFromLabel(QStringLiteral("All")), "All");
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

TEST(QMPersonVocabularyTest, FirstChangeCreatesListsAndGettersHandOutCopies) {
    const QString item = QStringLiteral("Vocabulary Item");
    EXPECT_FALSE(QMPerson::customLabelsForIdentifier(item).has_value());
    EXPECT_TRUE(QMPerson::setLabel(QString(), QStringLiteral("a"), item));
    EXPECT_EQ(*QMPerson::labelsForIdentifier(item), QStringList{"a"});
    EXPECT_EQ(*QMPerson::localizedLabelsForIdentifier(item), QStringList{"a"});
    EXPECT_EQ(*QMPerson::customLabelsForIdentifier(item), QStringList{"a"});
    QStringList copy = *QMPerson::labelsForIdentifier(item);
    copy.append("b");
    EXPECT_EQ(QMPerson::labelsForIdentifier(item)->size(), 1);
}

TEST(QMPersonVocabularyTest, LabelTableDictMergesCustomWordsKeepingTitlesAligned) {
    QMPerson person;
    LabeledValueRecord r1;
    r1.label = QStringLiteral("x1");
    r1.value = QStringLiteral("one");
    QMPerson::setLabel(QString(), QStringLiteral("x0"), QStringLiteral("Merge Item"));
    person.setValue(LabeledValueList{r1}, QStringLiteral("Merge Item"));
    EXPECT_FALSE(QMPerson::labelsForIdentifier("Merge Item")->contains("x1"));
    const auto table = QMPerson::labelTableDict();
    EXPECT_EQ(table.value("Merge Item"), (QStringList{"x0", "x1"}));
    EXPECT_EQ(*QMPerson::localizedLabelsForIdentifier("Merge Item"), (QStringList{"x0", "x1"}));
}

TEST(QMPersonVocabularyTest, LocalizedIdentifierNames) {
    EXPECT_EQ(QMPerson::localizedIdentifierForKey(FieldId::Phone), "phone");
    EXPECT_EQ(QMPerson::localizedIdentifierForKey(FieldId::ZIP), "ZIP");
    EXPECT_EQ(QMPerson::localizedIdentifierForKey(FieldId::Street), "street");
    EXPECT_EQ(QMPerson::localizedIdentifierForKey("My Item"), "My Item");
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

TEST(QMPersonVocabularyTest, ClassCustomItemsAreACopy) {
    CustomItemDefinition definition;
    definition.name = "Class Item";
    definition.type = ValueKind::String;
    QMPerson::setCustomItemsForVCard({definition});
    auto items = QMPerson::customItemsForVCard();
    ASSERT_TRUE(items.has_value());
    items->first().name = "changed";
    EXPECT_EQ(QMPerson::customItemsForVCard()->first().name, "Class Item");
}

} // namespace
