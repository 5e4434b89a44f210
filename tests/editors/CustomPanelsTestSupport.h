#pragma once

#include "model/QMvCard.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

// A document window stand-in on which a panel runs as a sheet, keeping the codes it ended with.
class SheetHost {
public:
    SheetHost() {
        window.resize(900, 700);
        window.show();
    }
    ~SheetHost() {
        if (QWidget *sheet = Application::shared().attachedSheet(&window))
            Application::shared().endSheet(sheet, 0);
    }
    void begin(WindowController &panel) {
        Application::shared().beginSheet(panel.window(), &window, [this](int code) { codes.append(code); });
    }
    bool sheetShown() const { return Application::shared().attachedSheet(const_cast<Window *>(&window)); }

    Window window;
    QList<int> codes;
};

// The document's containers read from vCard cards (lines joined with CRLF).
inline std::shared_ptr<ContainerTable> containersFromCards(const QString &cards) {
    QString text = cards;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return QMvCard().containersFromVCards(text);
}

inline const ContactTable &allContacts(const ContainerTable &containers) {
    return *containers.first().groups.first()->contactTable;
}

// The open row editor of a table, as the user sees it after a double click or an Add.
inline QLineEdit *rowEditor(QAbstractItemView *table) {
    for (QLineEdit *field : table->viewport()->findChildren<QLineEdit *>())
        if (field->isVisible())
            return field;
    return nullptr;
}

// Types over the open row editor's selected text and presses Return.
inline void typeIntoRow(QAbstractItemView *table, const QString &text) {
    QLineEdit *field = rowEditor(table);
    ASSERT_TRUE(field) << "no row open for typing";
    field->selectAll();
    field->del();
    field->insert(text);
    QTest::keyClick(field, Qt::Key_Return);
    // The view commits a Return from its event queue.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rowEditor(table); }, 2000));
}

// Double-clicks a row as the user does: the row opens for typing.
inline void doubleClickRow(QAbstractItemView *table, int row, int column = 0) {
    const QRect cell = table->visualRect(table->model()->index(row, column));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
}

inline QStringList columnTexts(QAbstractItemView *table, int column = 0) {
    QStringList texts;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        texts.append(table->model()->index(row, column).data().toString());
    return texts;
}
