#pragma once

#include "tests/editors/EditorTestSupport.h"

#include "platform/ui/Menu.h"

#include <QApplication>
#include <QDropEvent>
#include <QPlainTextEdit>
#include <QTableView>

// Driving the address editors' text areas, fields and pull-downs as a user does.

inline void typeInto(QPlainTextEdit *area, const QString &text) {
    area->setFocus();
    area->moveCursor(QTextCursor::End);
    typeText(area, text);
}

inline void replaceText(QLineEdit *field, const QString &text) {
    field->setFocus();
    field->selectAll();
    typeText(field, text);
}

// The titles a pull-down lists (its face, item 0, left out).
inline QStringList listed(PullDownButton *button) {
    QStringList titles;
    const QList<MenuItem *> items = button->pullDownMenu()->itemArray();
    for (qsizetype i = 1; i < items.size(); ++i)
        titles << items[i]->title();
    return titles;
}

// Chooses an item of a pull-down, or of one of its submenus, as a click on it does.
inline void pick(PullDownButton *button, const QString &title) {
    QList<Menu *> menus{button->pullDownMenu()};
    while (!menus.isEmpty()) {
        for (MenuItem *item : menus.takeFirst()->itemArray()) {
            if (item->hasSubmenu())
                menus.append(item->submenu());
            else if (item->title() == title && item->isEnabled())
                return item->trigger();
        }
    }
    ADD_FAILURE() << "no item " << title.toStdString();
}

// A double click on a cell, after a pause that keeps it from joining an earlier click.
inline void doubleClick(QTableView *table, const QModelIndex &index) {
    QTest::qWait(QApplication::doubleClickInterval() + 20);
    const QPoint centre = table->visualRect(index).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre);
}

// Drags data over a view's viewport and drops it there; answers whether the drop was taken.
inline bool dropOn(QWidget *viewport, const QPoint &position, const QMimeData *data) {
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(position, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(position, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(QPointF(position), actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    return drop.isAccepted();
}
