#include "tests/model/PersonTestSupport.h"

#include "platform/contacts/CNContactVCardSerialization.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Real cards written by other programs: every one survives contact -> record -> contact.
TEST(QMPersonFilesTest, EveryCardOfTheSharedFilesSurvivesTheRecord) {
    int cards = 0;
    QDirIterator files(QStringLiteral(TESSARIN_VCARD_TESTDATA), {QStringLiteral("*.vcf")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const CNContact &contact : CNContactVCardSerialization::contactsWithData(file.readAll())) {
            SCOPED_TRACE(file.fileName().toStdString());
            QMPerson person(contact);
            EXPECT_TRUE(person.contactFromCache().hasSameFields(contact));
            ++cards;
        }
    }
    if (cards == 0)
        GTEST_SKIP() << "the vCard reader of the contacts layer is not there yet";
    EXPECT_GT(cards, 60);
}

} // namespace
