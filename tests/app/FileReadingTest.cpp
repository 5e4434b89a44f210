#include "app/reading/QMvCardReader.h"
#include "model/QMvCard.h"
#include "platform/core/UserDefaults.h"
#include "tests/app/Opening.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <gtest/gtest.h>

using RealOpening = Opening<tessarin::QMvCardReader>;

namespace {

// The window that took the document's tables over.
tessarin::ViewController *contentsShown(::Document *document) {
    return static_cast<tessarin::Document *>(document)->mainViewController();
}

TEST(FileReading, ACsvFileBecomesOneVCardContainerWithItsAllContactsGroup) {
    RealOpening opening;
    ::Document *document = opening.open(writeTestFile(QStringLiteral("people.csv"),
                                                      "Name,Email\nGrace Hopper,grace@example.org\n"
                                                      "Edsger Dijkstra,ewd@example.org\n"));
    ASSERT_NE(document, nullptr);
    tessarin::ViewController *contents = contentsShown(document);
    ASSERT_NE(contents, nullptr);
    ASSERT_EQ(contents->containerTable()->size(), 1);
    const ContainerRecord &container = contents->containerTable()->first();
    EXPECT_EQ(container.name, QStringLiteral("vCard"));
    EXPECT_EQ(container.type, 1);
    EXPECT_EQ(container.identifier, QString());
    ASSERT_EQ(container.groups.size(), 1);
    const GroupRecord &group = *container.groups.first();
    EXPECT_TRUE(group.top);
    EXPECT_EQ(group.name, QStringLiteral("All Contacts"));
    EXPECT_EQ(group.containerName, QStringLiteral("vCard"));
    EXPECT_EQ(group.uniqueId, QString());
    EXPECT_EQ(group.contactTable, contents->contactTable());
    EXPECT_EQ(opening.shownNames(document), QStringList({"Grace Hopper", "Edsger Dijkstra"}));
}

TEST(FileReading, ACsvFileOpensLockedAndAVCardFileInTheStoredEditState) {
    RealOpening opening;
    UserDefaults::standard().setObject(QStringLiteral("100 100 900 500"),
                                       QStringLiteral("NSWindow Frame kept.vcf"));
    UserDefaults::standard().setBool(false, QStringLiteral("QM1DlastEditState"));
    ::Document *csv =
        opening.open(writeTestFile(QStringLiteral("locked.csv"), "Name,Email\nGrace Hopper,g@example.org\n"));
    ASSERT_NE(csv, nullptr);
    EXPECT_FALSE(contentsShown(csv)->editState());
    auto *window = static_cast<tessarin::Document *>(csv)->mainWindowController();
    EXPECT_EQ(window->editButton()->text(), QStringLiteral("Edit"));
    ::Document *vcf = opening.open(writeTestFile(
        QStringLiteral("kept.vcf"), "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ada\r\nN:;Ada;;;\r\nEND:VCARD\r\n"));
    ASSERT_NE(vcf, nullptr);
    EXPECT_FALSE(contentsShown(vcf)->editState());
    EXPECT_EQ(contentsShown(vcf)->contactsViewController()->subContactTable().size(), 1u);
}

TEST(FileReading, EveryCardOfTheSharedFilesReachesTheAllContactsGroup) {
    RealOpening opening;
    const QDir folder(QStringLiteral(TESSARIN_TESTDATA_DIR "/kcontacts"));
    int opened = 0;
    for (const QFileInfo &file : folder.entryInfoList({"*.vcf"}, QDir::Files)) {
        QFile input(file.absoluteFilePath());
        ASSERT_TRUE(input.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(input.readAll());
        const auto expected = QMvCard().containersFromVCards(text);
        if (!expected || QMvCard::contactsInContainer(expected->first())->isEmpty())
            continue;
        ::Document *document = opening.open(file.absoluteFilePath());
        ASSERT_NE(document, nullptr) << file.fileName().toStdString();
        EXPECT_EQ(contentsShown(document)->contactTable()->size(),
                  QMvCard::contactsInContainer(expected->first())->size());
        document->close();
        ++opened;
        if (opened == 3) // each open shows the progress window for a second
            break;
    }
    EXPECT_EQ(opened, 3);
}

TEST(FileReading, ACsvFilesCategoriesBecomeItsGroups) {
    RealOpening opening;
    ::Document *document = opening.open(writeTestFile(QStringLiteral("labels.csv"),
                                                      "Name,Given Name,Family Name,Group Membership\n"
                                                      "Grace Hopper,Grace,Hopper,Navy ::: * myContacts\n"
                                                      "Ada Lovelace,Ada,Lovelace,Friends ::: Navy\n"));
    ASSERT_NE(document, nullptr);
    QStringList groups;
    for (const SharedGroup &group : contentsShown(document)->containerTable()->first().groups)
        groups.append(group->name + u':' + QString::number(group->contactTable->size()));
    EXPECT_EQ(groups, QStringList({"All Contacts:2", "Friends:1", "Navy:2"}));
}

TEST(FileReading, WhatTheReadLeftOutIsSaidOnceInASheetOnTheNewWindow) {
    RealOpening opening;
    ::Document *document = opening.open(
        writeTestFile(QStringLiteral("partial.vcf"),
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE:never ended, no name\r\n"
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Poe;Ada;;;\r\nX-EMPTY:\r\nEND:VCARD\r\n"));
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(opening.shownNames(document), QStringList{"Ada Poe"});
    const auto &shown = opening.dialogs.shown();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 5000));
    EXPECT_EQ(shown[0].kind, ScriptedDialogPresenter::Kind::AlertSheet);
    EXPECT_EQ(shown[0].window, document->windowForSheet());
    EXPECT_EQ(shown[0].alert.messageText + u'|' + shown[0].alert.informativeText,
              QStringLiteral("Some contents of “partial.vcf” were left out.|1 card could not be read.\n"
                             "1 custom item without a value, or named like a field, was left out."));
    // A file without a readable card keeps the format's error alone.
    EXPECT_EQ(opening.open(writeTestFile(QStringLiteral("none.vcf"), "BEGIN:VCARD\r\nNOTE:x\r\n")), nullptr);
    QTest::qWait(20);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].kind, ScriptedDialogPresenter::Kind::Alert);
}

TEST(FileReading, ACardWithoutEndIsKeptAndNamedInTheSheetOnTheNewWindow) {
    RealOpening opening;
    const auto &shown = opening.dialogs.shown();
    for (const IncompleteCardFile &file : incompleteCardFiles()) {
        const qsizetype before = shown.size();
        ::Document *document = opening.open(writeTestFile(file.name, file.content));
        ASSERT_NE(document, nullptr) << file.name.toStdString();
        EXPECT_EQ(opening.shownNames(document), file.cards);
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() > before; }, 5000)) << file.name.toStdString();
        EXPECT_EQ(shown.last().kind, ScriptedDialogPresenter::Kind::AlertSheet);
        EXPECT_EQ(shown.last().window, document->windowForSheet());
        EXPECT_EQ(shown.last().alert.messageText + QStringLiteral(" | ") + shown.last().alert.informativeText,
                  file.noticeText);
        document->close();
    }
}

TEST(FileReading, SpecialFilesAreRefusedWithAnErrorThatSaysWhy) {
    RealOpening opening;
    for (const auto &[path, reason] : makeSpecialFiles()) {
        EXPECT_EQ(opening.open(path), nullptr);
        EXPECT_EQ(
            opening.alertTexts().last(),
            QStringLiteral("The file “%1” couldn’t be opened %2 | ").arg(QFileInfo(path).fileName(), reason));
    }
}

} // namespace
