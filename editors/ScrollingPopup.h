#pragma once

#include <QComboBox>
#include <QWheelEvent>

// A popup of the editors' forms and tables that the mouse wheel scrolls past: it changes
// only by a click or by the keyboard while it has the focus, so scrolling over an editor
// never relabels a value or moves a date.
class ScrollingPopup : public QComboBox {
public:
    explicit ScrollingPopup(QWidget *parent = nullptr)
        : QComboBox(parent) {
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    // Ignored, the wheel goes on to the view or the form around the popup.
    void wheelEvent(QWheelEvent *event) override { event->ignore(); }
};
