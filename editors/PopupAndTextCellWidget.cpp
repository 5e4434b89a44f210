#include "editors/PopupAndTextCellWidget.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QTextCursor>

QSize PopupButton::sizeHint() const {
    return {PopupAndTextCell::popupWidth(currentText(), font()), QComboBox::sizeHint().height()};
}

PopupAndTextCellWidget::PopupAndTextCellWidget(QWidget *parent)
    : QWidget(parent)
    , labelPopup_(new PopupButton(this))
    , textField_(new QTextEdit(this)) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(4);
    layout->addWidget(labelPopup_, 0, Qt::AlignTop);
    layout->addWidget(textField_, 1);
    textField_->setFrameShape(QFrame::NoFrame);
    textField_->setAcceptRichText(false);
    textField_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textField_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    textField_->setLineWrapMode(QTextEdit::NoWrap);
}

void PopupAndTextCellWidget::updatePopupAndText() {
    cell_.updatePopupAndText();
    const PopupAndTextContent &content = cell_.content();
    {
        const QSignalBlocker blocker(labelPopup_);
        labelPopup_->clear();
        labelPopup_->setFont(content.font);
        for (int i = 0; i < content.menuItems.size(); ++i) {
            labelPopup_->addItem(content.menuItems[i].title);
            if (content.menuItems[i].custom)
                labelPopup_->setItemData(i, PopupAndTextCell::customLabelColor(), Qt::ForegroundRole);
        }
        labelPopup_->setCurrentIndex(content.selectedItem);
    }
    labelPopup_->setVisible(content.popupVisible);
    labelPopup_->updateGeometry();

    textField_->setFont(content.font);
    textField_->setPlainText(content.text);
    QList<QTextEdit::ExtraSelection> marks;
    for (const TextHighlight &mark : content.highlights) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(textField_->document());
        selection.cursor.setPosition(int(mark.start));
        selection.cursor.setPosition(int(mark.start + mark.length), QTextCursor::KeepAnchor);
        selection.format.setBackground(mark.background());
        marks.append(selection);
    }
    textField_->setExtraSelections(marks);
}
