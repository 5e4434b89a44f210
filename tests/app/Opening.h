#pragma once

#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "tests/app/AppTestSupport.h"
#include "state/ActionIds.h"

#include <QComboBox>
#include <QTest>

#include <memory>

// A document controller with its reader, answering dialogs from a script, on a first launch
// for a user of English and Japanese.
template <typename Reader> struct Opening {
    Opening() { tessarin::ContactsReader::setShared(reader); }
    ~Opening() {
        controller.closeAllDocuments();
        QTest::qWait(1);
        tessarin::ContactsReader::setShared(nullptr);
    }
    tessarin::Document *open(const QString &path) {
        return static_cast<tessarin::Document *>(
            controller.openDocumentWithContentsOfURL(QUrl::fromLocalFile(path)));
    }
    // File > Open… with an encoding chosen in the panel's popup.
    void openThroughPanel(const QString &path, const QString &encodingName) {
        dialogs.answerPanel([path, encodingName](const OpenPanel *panel, const SavePanel *) {
            auto *popup = panel->accessoryView->findChild<QComboBox *>();
            popup->setCurrentIndex(popup->findText(encodingName));
            return PanelResult{ModalResponse::OK, {QUrl::fromLocalFile(path)}};
        });
        controller.performAction(ActionId::OpenDocument);
    }
    QStringList shownNames(::Document *document) {
        tessarin::ViewController *content = static_cast<tessarin::Document *>(document)->mainViewController();
        QStringList names;
        if (content && content->contactTable())
            for (const ContactEntry &entry : std::as_const(*content->contactTable()))
                names.append(entry.person->compositeName());
        return names;
    }
    QStringList alertTexts() const {
        QStringList texts;
        for (const auto &shown : dialogs.shown())
            if (shown.kind == ScriptedDialogPresenter::Kind::Alert)
                texts.append(shown.alert.messageText + QStringLiteral(" | ") + shown.alert.informativeText);
        return texts;
    }

    // Before the controller, whose accessory reads the preferences.
    const bool firstLaunch = (firstLaunchWithLanguages({"en", "ja"}), true);
    std::shared_ptr<Reader> reader = std::make_shared<Reader>();
    ScriptedDialogPresenter dialogs;
    tessarin::DocumentController controller;
};
