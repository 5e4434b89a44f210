// Closing or quitting with changes: the file is never rewritten, so the window offers an export.
#include "tests/app/TransferTestSupport.h"

#include "app/AppDelegate.h"
#include "model/QMvCard.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QFile>
#include <QFileInfo>

namespace tessarin {
using namespace transfer_test;

namespace {

class CloseWithChangesTest : public TransferTest {
protected:
    // An edit the user made: Bob Baker deleted.
    TestDocument *openEdited(const QString &name = QStringLiteral("Sample.vcf")) {
        TestDocument *document = open(SampleCards, name);
        selectContacts(document, {"Bob Baker"});
        perform(document, ActionId::DeleteContacts);
        EXPECT_TRUE(document->controller->window()->isDocumentEdited());
        return document;
    }

    static bool isOpen(TestDocument *document) {
        return document && document->controller && document->controller->window()->isVisible();
    }

    QStringList questions() const {
        QStringList asked;
        for (const QString &text : alertTexts())
            if (text.startsWith(QStringLiteral("Do you want to export")))
                asked.append(text);
        return asked;
    }
};

TEST_F(CloseWithChangesTest, EachAnswerKeepsOrClosesTheWindow) {
    const QString target = testScratchDirectory() + QStringLiteral("/kept.vcf");
    const QString unwritable = testScratchDirectory() + QStringLiteral("/no such folder/kept.vcf");
    struct Case {
        const char *answer;
        std::optional<QString> savedTo; // the save panel's answer, none for Cancel
        bool closes;
        bool written;
    };
    const Case cases[] = {
        {"Cancel", std::nullopt, false, false},
        {"Don't Export", std::nullopt, true, false},
        {"Export…", std::nullopt, false, false}, // the save panel cancelled
        {"Export…", unwritable, false, false},
        {"Export…", target, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.answer) + " " + c.savedTo.value_or(QString()).toStdString());
        QFile::remove(target);
        QPointer<TestDocument> document = openEdited();
        // The export takes every contact, whatever the group shown and the rows selected.
        ViewController *view = content(document);
        view->groupSelectionDidChange(view->containerTable()->first().groups.value(1));
        const qsizetype before = dialogs.shown().size();
        dialogs.answerAlert(QString::fromUtf8(c.answer));
        if (c.savedTo) {
            const QString path = *c.savedTo;
            dialogs.answerPanel([path](const OpenPanel *, const SavePanel *) {
                return PanelResult{ModalResponse::OK, {QUrl::fromLocalFile(path)}};
            });
        } else if (QString::fromUtf8(c.answer) == QStringLiteral("Export…")) {
            dialogs.cancelPanel();
        }
        if (!c.written && c.savedTo)
            dialogs.answerAlert(QStringLiteral("OK")); // the failure

        perform(document, QStringLiteral("performClose:"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_GT(dialogs.shown().size(), before);
        EXPECT_EQ(dialogs.shown().at(before).alert.messageText,
                  QStringLiteral("Do you want to export the changes made in “Sample.vcf”?"));
        EXPECT_EQ(dialogs.shown().at(before).alert.informativeText,
                  QStringLiteral("Your changes are lost if you don't export them."));
        EXPECT_EQ(isOpen(document), !c.closes);
        EXPECT_EQ(QFileInfo::exists(target), c.written);
        if (c.written) {
            const auto read = QMvCard().containersFromVCards(QString::fromUtf8(fileBytes(target)));
            ASSERT_TRUE(read && !read->isEmpty());
            EXPECT_EQ(names(*read->first().groups.first()->contactTable),
                      (QStringList{"Ann Abe", "Cid Cole", "Dee Dunn"}));
        }
        if (document)
            discard(document);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(dialogs.unansweredCount(), 0);
}

TEST_F(CloseWithChangesTest, WithEveryContactDeletedTheExportIsNamedAfterTheDocument) {
    // A "[*]" of the file's name is its own, not the title's edited mark.
    for (const QString &name : {QStringLiteral("Sample.vcf"), QStringLiteral("Star [*].vcf")}) {
        SCOPED_TRACE(name.toStdString());
        QPointer<TestDocument> document = open(SampleCards, name);
        selectContacts(document, {"Ann Abe", "Bob Baker", "Cid Cole", "Dee Dunn"});
        perform(document, ActionId::DeleteContacts);
        QString proposed;
        dialogs.answerAlert(QStringLiteral("Export…"));
        dialogs.answerPanel([&](const OpenPanel *, const SavePanel *panel) {
            proposed = panel->nameFieldStringValue;
            return PanelResult{ModalResponse::Cancel, {}};
        });
        perform(document, QStringLiteral("performClose:"));
        EXPECT_EQ(proposed, name);
        EXPECT_TRUE(isOpen(document));
        if (document)
            discard(document);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(CloseWithChangesTest, AWindowWithoutChangesClosesWithoutAQuestion) {
    QPointer<TestDocument> document = open();
    perform(document, QStringLiteral("performClose:"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(isOpen(document));
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(CloseWithChangesTest, QuittingAsksEachEditedWindowAndCancelStopsIt) {
    AppDelegate delegate;
    Application::shared().setDelegate(&delegate);
    int quits = 0;
    Application::shared().setQuitHandler([&] { ++quits; });

    QPointer<TestDocument> first = openEdited(QStringLiteral("First.vcf"));
    QPointer<TestDocument> second = openEdited(QStringLiteral("Second.vcf"));
    QPointer<TestDocument> unchanged = open(SampleCards, QStringLiteral("Third.vcf"));
    dialogs.answerAlert(QStringLiteral("Don't Export"));
    dialogs.answerAlert(QStringLiteral("Cancel"));
    Application::shared().terminate();
    EXPECT_EQ(questions().size(), 2);
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(int(isOpen(first)) + int(isOpen(second)), 1);
    EXPECT_TRUE(isOpen(unchanged));

    dialogs.answerAlert(QStringLiteral("Don't Export"));
    Application::shared().terminate();
    EXPECT_EQ(questions().size(), 3);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(isOpen(first) || isOpen(second) || isOpen(unchanged));
    EXPECT_EQ(dialogs.unansweredCount(), 0);

    Application::shared().setQuitHandler({});
    Application::shared().setDelegate(nullptr);
}

} // namespace
} // namespace tessarin
