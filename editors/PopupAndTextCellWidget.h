#pragma once

#include "editors/PopupAndTextCell.h"
#include "platform/ui/Menu.h"

#include <QTextEdit>
#include <QWidget>

// The label popup: as wide as its title needs plus room for the arrows.
class PopupButton : public PopUpButton {
    Q_OBJECT
public:
    using PopUpButton::PopUpButton;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
};

// The widget form of the label popup cell, for panels that show a few values at once: the
// label popup and the value's text (a frameless text edit, so multi-line values and the
// find marks show; whether it is editable is the caller's, through setReadOnly).
class PopupAndTextCellWidget : public QWidget {
    Q_OBJECT
public:
    explicit PopupAndTextCellWidget(QWidget *parent = nullptr);

    PopupAndTextCell &cell() { return cell_; }
    const PopupAndTextCell &cell() const { return cell_; }
    PopupButton *labelPopup() const { return labelPopup_; }
    QTextEdit *textField() const { return textField_; }

    // Runs the cell's update and shows its result.
    void updatePopupAndText();

private:
    PopupAndTextCell cell_;
    PopupButton *labelPopup_;
    QTextEdit *textField_;
};
