#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <QtTest/qtestspontaneevent.h>

#include <gtest/gtest.h>

// Turns the mouse wheel over the middle of `widget` (negative notches scroll down), as the
// window system delivers it: to the window, which hands it to the widget under the pointer;
// what that widget leaves goes on to its parents, a scroll area among them. An event sent
// straight to a widget would stop there, whatever the widget does with it.
inline void turnWheelOver(QWidget *widget, int notches) {
    QWidget *top = widget->window();
    if (!top->windowHandle())
        top->winId();
    const QPoint global = widget->mapToGlobal(widget->rect().center());
    QWheelEvent event(QPointF(top->mapFromGlobal(global)), QPointF(global), QPoint(),
                      QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(top->windowHandle(), &event);
}

// One notch over `popup`, which sits in `cell` of `view`: turned the way that would move the
// popup's choice and leaves the table room to scroll, else the way that scrolls; the cell is
// scrolled into view first. Answers whether the table scrolled, or, when all its rows are in
// view, that it stayed.
inline bool turnWheelOverPopupIn(QAbstractItemView *view, const QModelIndex &cell, QComboBox *popup) {
    QScrollBar *bar = view->verticalScrollBar();
    if (bar->minimum() == bar->maximum()) {
        view->scrollTo(cell);
        turnWheelOver(popup, popup->currentIndex() + 1 < popup->count() ? -1 : 1);
        QCoreApplication::processEvents();
        return bar->value() == bar->minimum();
    }
    const auto roomToScroll = [&](bool down) {
        bar->setValue(down ? bar->minimum() : bar->maximum());
        view->scrollTo(cell);
        QCoreApplication::processEvents();
        return down ? bar->value() < bar->maximum() : bar->value() > bar->minimum();
    };
    bool down = popup->count() < 2 || popup->currentIndex() + 1 < popup->count();
    if (!roomToScroll(down))
        down = !down;
    if (!roomToScroll(down)) {
        ADD_FAILURE() << "no room to scroll the table over the popup: " << popup->currentIndex() << " of "
                      << popup->count() << ", scrolled " << bar->value() << " of " << bar->maximum();
        return false;
    }
    if (!view->viewport()->rect().contains(popup->mapTo(view->viewport(), popup->rect().center()))) {
        ADD_FAILURE() << "the popup is not in view";
        return false;
    }
    const int before = bar->value();
    turnWheelOver(popup, down ? -1 : 1);
    QCoreApplication::processEvents();
    return bar->value() != before;
}
