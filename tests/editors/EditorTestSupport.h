#pragma once

#include "editors/EditorAnswer.h"
#include "editors/PopoverEditor.h"
#include "model/ContactContainers.h"
#include "platform/ui/Window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out) {
    *out << '"' << text.toStdString() << '"';
}

// A contact of the first card of vCard text (lines joined with CRLF).
inline std::shared_ptr<QMPerson> personFromVCard(const QString &body) {
    QString text = QStringLiteral("BEGIN:VCARD\nVERSION:3.0\n") + body + QStringLiteral("END:VCARD\n");
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return std::shared_ptr<QMPerson>(QMPerson::initWithVCardData(text.toUtf8()));
}

inline SharedEditorContext editorContext(const std::shared_ptr<QMPerson> &person, const QString &type,
                                         std::optional<qint64> labelIndex = std::nullopt,
                                         std::optional<bool> editEnabled = std::nullopt) {
    auto context = std::make_shared<EditorContext>();
    context->contact = EditorContact::of(ContactEntry::withPerson(person));
    context->type = type;
    context->labelIndex = labelIndex;
    context->editEnabled = editEnabled;
    return context;
}

// A window with a table stand-in that opens editors as the openers do and keeps what the
// close notice found.
class EditorScene : public PopoverDelegate {
public:
    EditorScene() {
        window.resize(900, 700);
        table = new QWidget;
        window.setCentralWidget(table);
        window.show();
        window.activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(&window));
    }

    // `prepare` runs before the context is set, as an opener's setDelegate or setLabels would.
    template <typename Editor>
    Editor *open(SharedEditorContext context, bool editable, std::function<void(Editor *)> prepare = {}) {
        auto *editor = new Editor;
        if (prepare)
            prepare(editor);
        popover = editor->openInPopover(std::move(context), editable, Editor::contentSize,
                                        QRect(100, 40, 160, 20), table, this, &window);
        waitUntilActive();
        return editor;
    }
    // The popover's window takes the keyboard once the window system has activated it, as a
    // user sees it before typing.
    void waitUntilActive() {
        static_cast<void>(
            QTest::qWaitFor([this] { return popover && QApplication::activeWindow() == popover->frame(); }));
    }
    template <typename Record> const Record *answered() const {
        return answer ? answer->value.get<Record>() : nullptr;
    }
    void popoverDidClose(Popover *closed) override {
        ++closes;
        answer = PopoverEditor::answerOf(closed);
    }
    void clickOutside() { QTest::mouseClick(table, Qt::LeftButton, {}, QPoint(880, 680)); }

    Window window;
    QWidget *table = nullptr;
    Popover *popover = nullptr;
    int closes = 0;
    SharedEditorContext answer; // the dirty context, as the close notice found it
};

// The edit operations an answer ends in, recorded.
class RecordingReceiver : public EditorAnswerReceiver {
public:
    bool undoReplaceBirthday(const FieldValue &, const PersonPtr &) override { return record("birthday"); }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &, const PersonPtr &) override {
        return record("phonetic");
    }
    bool undoReplaceLabeledValue(const FieldValue &, const QString &identifier, const PersonPtr &,
                                 QObject *) override {
        return record("replace ", identifier);
    }
    void undoAddLabeledValue(const LabeledValueRecord &, const QString &identifier, const PersonPtr &,
                             QObject *) override {
        record("add ", identifier);
    }
    bool record(const char *operation, const QString &identifier = {}) {
        calls.append(QString::fromLatin1(operation) + identifier);
        return true;
    }
    QStringList calls;
};

// The inputs of an editor a user could change a value with: a field that takes typing, an
// enabled popup of choices or calendar, a button (Edit and Done aside), a table cell that
// opens for typing. An editor shown locked offers none.
inline QStringList changeableInputs(PopoverEditor *editor) {
    QStringList found;
    QWidget *root = editor->view();
    const auto usable = [](const QWidget *widget) { return widget->isVisible() && widget->isEnabled(); };
    const auto name = [](const QObject *object) {
        return QString::fromLatin1(object->metaObject()->className()) + u' ' + object->objectName();
    };
    for (QLineEdit *field : root->findChildren<QLineEdit *>())
        if (usable(field) && !field->isReadOnly())
            found << name(field) + u' ' + field->text();
    for (QPlainTextEdit *area : root->findChildren<QPlainTextEdit *>())
        if (usable(area) && !area->isReadOnly())
            found << name(area);
    for (QComboBox *popup : root->findChildren<QComboBox *>())
        if (usable(popup) && popup->count() > 1)
            found << name(popup) + u' ' + popup->currentText();
    for (QCalendarWidget *calendar : root->findChildren<QCalendarWidget *>())
        if (usable(calendar))
            found << name(calendar);
    for (QPushButton *button : root->findChildren<QPushButton *>())
        if (usable(button) && button != editor->editButton() && button != editor->doneButton())
            found << name(button) + u' ' + button->text();
    for (QAbstractItemView *view : root->findChildren<QAbstractItemView *>()) {
        const QAbstractItemModel *model = view->model();
        for (int row = 0; model && usable(view) && row < model->rowCount(); ++row)
            for (int column = 0; column < model->columnCount(); ++column)
                if (model->flags(model->index(row, column)) & Qt::ItemIsEditable)
                    found << name(view) + QStringLiteral(" cell %1,%2").arg(row).arg(column);
    }
    return found;
}

// Typing as a user does, one key event per character, so Japanese goes too
// (QTest::keyClicks refuses text outside Latin-1).
inline void typeText(QWidget *widget, const QString &text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Picks an item of a popup with the mouse, as a user does.
inline void choose(QComboBox *popup, const QString &title) {
    const int row = popup->findText(title);
    ASSERT_GE(row, 0) << title.toStdString();
    popup->showPopup();
    QAbstractItemView *list = popup->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 1000));
    const QModelIndex item = list->model()->index(row, popup->modelColumn());
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 1000));
}
