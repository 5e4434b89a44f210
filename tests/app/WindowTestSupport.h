#pragma once

#include "app/window/DocumentWindow.h"
#include "app/window/ViewController.h"
#include "app/window/WindowController.h"
#include "model/QMvCard.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Document.h"
#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace window_test {

// Four people: two in the category "Friends", one with e-mail addresses whose labels are
// out of order, one with a custom item.
inline const QString SampleCards = QStringLiteral(
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Abe;Ann;;;\r\nFN:Ann Abe\r\n"
    "EMAIL;type=INTERNET;type=WORK:work@abe.example\r\nEMAIL;type=INTERNET;type=HOME:home@abe.example\r\n"
    "TEL;type=CELL:+1 555 0100\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Baker;Bob;;;\r\nFN:Bob Baker\r\n"
    "EMAIL;type=INTERNET;type=HOME:bob@baker.example\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Cole;Cid;;;\r\nFN:Cid Cole\r\n"
    "EMAIL;type=INTERNET;type=WORK:cid@cole.example\r\nORG:Cole Works;\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Dunn;Dee;;;\r\nFN:Dee Dunn\r\nX-HOBBY:Chess\r\nEND:VCARD\r\n");

// A document holding what a read gave, showing it in the window of the contacts.
class TestDocument : public Document {
public:
    std::shared_ptr<ContainerTable> containers;
    QPointer<tessarin::WindowController> controller;

    void makeWindowControllers() override {
        controller = tessarin::makeDocumentWindow(this, std::move(containers));
    }
};

inline void buildMenus(Menu *mainMenu, Window *) {
    Application::addStandardMenus(mainMenu);
    tessarin::addDocumentWindowMenus(mainMenu);
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        UserDefaults::standard().resetAll();
        SplitViewController::setAnimationsEnabled(false);
        tessarin::WindowController::setAnimationsEnabled(false);
        Application::shared().setMainMenuBuilder(&buildMenus);
        overrideModifierFlags(Qt::NoModifier);
    }

    void TearDown() override {
        for (const QPointer<TestDocument> &document : std::as_const(documents_))
            if (document)
                discard(document);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        overrideModifierFlags(std::nullopt);
    }

    // Opens the text as a file of that name and type, as the document would after reading it.
    TestDocument *open(const QString &text = SampleCards, const QString &name = QStringLiteral("Sample.vcf"),
                       const QString &type = tessarin::WindowController::VCardType) {
        auto *document = new TestDocument;
        if (!name.isEmpty())
            document->setFileURL(QUrl::fromLocalFile(testScratchDirectory() + QLatin1Char('/') + name));
        document->setFileType(type);
        if (!text.isNull())
            document->containers = QMvCard().containersFromVCards(text);
        document->makeWindowControllers();
        documents_.append(document);
        QCoreApplication::processEvents();
        return document;
    }

    // Closes without the question an edited window asks.
    static void discard(TestDocument *document) {
        for (WindowController *controller : document->windowControllers())
            if (controller->isWindowLoaded())
                controller->window()->setDocumentEdited(false);
        document->close();
    }

    void closeDocument(TestDocument *document) {
        discard(document);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static tessarin::ViewController *content(TestDocument *document) {
        return document->controller->mainViewController();
    }

    static MenuItem *itemFor(Menu *menu, const QVariant &object) {
        return menu->itemAtIndex(menu->indexOfItemWithRepresentedObject(object));
    }

    // What a user does: opens the pull-down (the menu is rebuilt and validated) and picks.
    static void choose(PullDownButton *button, const QVariant &object) {
        button->pullDownMenu()->update();
        MenuItem *item = itemFor(button->pullDownMenu(), object);
        ASSERT_NE(item, nullptr) << object.toString().toStdString();
        ASSERT_TRUE(item->isEnabled()) << object.toString().toStdString();
        item->trigger();
    }

    static QStringList columns(tessarin::ViewController *view) {
        QStringList identifiers;
        for (const ContactsTableColumn &column : view->contactsViewController()->tableColumns())
            identifiers.append(column.identifier);
        return identifiers;
    }

    QList<QPointer<TestDocument>> documents_;
};

} // namespace window_test
