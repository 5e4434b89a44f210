#include "tests/model/PersonTestSupport.h"

#include "platform/contacts/CNContactVCardSerialization.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Real cards written by other programs: every one survives contact -> record -> contact.
TEST(QMPersonFilesTest, EveryCardOfTheSharedFilesSurvivesTheRecord) {
    int files = 0;
    int cards = 0;
    QDirIterator iterator(QStringLiteral(TESSARIN_VCARD_TESTDATA), {QStringLiteral("*.vcf")}, QDir::Files,
                          QDirIterator::Subdirectories);
    while (iterator.hasNext()) {
        QFile file(iterator.next());
        ++files;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const CNContact &contact : CNContactVCardSerialization::contactsWithData(file.readAll())) {
            SCOPED_TRACE(file.fileName().toStdString());
            QMPerson person(contact);
            EXPECT_TRUE(person.contactFromCache().hasSameFields(contact));
            ++cards;
        }
    }
    if (files == 0)
        GTEST_SKIP() << "the shared test files are not beside this checkout";
    EXPECT_GT(cards, 60);
}

} // namespace
