#pragma once

#include "app/transfer/ImportPanelController.h"
#include "app/reading/ProgressAlert.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/WindowTestSupport.h"

#include "platform/ui/Responder.h"
#include "state/ActionIds.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <functional>

namespace transfer_test {

using namespace window_test;

inline QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList names(const ContactTable &table) {
    QStringList shown;
    for (const ContactEntry &entry : table)
        if (!entry.deleted)
            shown.append(entry.person->compositeName());
    return shown;
}

class TransferTest : public WindowTest {
protected:
    // Sends the command as the menu item or its key equivalent would.
    static void perform(TestDocument *document, const QString &action) {
        ASSERT_TRUE(ActionRouter::sendAction(action, nullptr, document->controller->window()));
    }

    // Runs `whileRunning` once, the first time the window's progress moves past 0 and before
    // it reaches 100: the work is then under way and has not finished.
    static QMetaObject::Connection onProgress(TestDocument *document, std::function<void()> whileRunning) {
        QProgressBar *bar = document->controller->progressAlert()->progressIndicator();
        auto fired = std::make_shared<bool>(false);
        return QObject::connect(bar, &QProgressBar::valueChanged, bar, [fired, whileRunning](int value) {
            if (*fired || value <= 0 || value >= 100)
                return;
            *fired = true;
            whileRunning();
        });
    }

    // Selects every row of the named contacts, as clicks with Ctrl held would; `lastRowOnly`
    // takes only each contact's last row.
    static void selectContacts(TestDocument *document, const QStringList &shownNames,
                               bool lastRowOnly = false) {
        ContactsViewController *table = document->controller->mainViewController()->contactsViewController();
        QList<int> rows;
        const auto &subRows = table->subContactTable();
        for (int row = 0; row < int(subRows.size()); ++row) {
            if (!shownNames.contains(subRows[row]->person->compositeName()))
                continue;
            const bool last = row + 1 == int(subRows.size()) || !subRows[row + 1]->notFirstRow;
            if (!lastRowOnly || last)
                rows.append(row);
        }
        table->selectRowIndexes(rows);
    }

    static void pressCancel(TestDocument *document) {
        document->controller->progressAlert()->cancelButton()->click();
    }

    QStringList alertTexts() const {
        QStringList texts;
        for (const auto &shown : dialogs.shown())
            if (shown.kind == ScriptedDialogPresenter::Kind::Alert ||
                shown.kind == ScriptedDialogPresenter::Kind::AlertSheet)
                texts.append(shown.alert.messageText + QStringLiteral(" | ") + shown.alert.informativeText);
        return texts;
    }

    int panelsShown() const {
        int count = 0;
        for (const auto &shown : dialogs.shown())
            count += shown.kind == ScriptedDialogPresenter::Kind::OpenPanel ||
                     shown.kind == ScriptedDialogPresenter::Kind::SavePanel;
        return count;
    }

    ScriptedDialogPresenter dialogs;
};

} // namespace transfer_test
