#include "find/SegmentedButtons.h"

#include <QHBoxLayout>
#include <QToolButton>

SegmentedButtons::SegmentedButtons(int count, QWidget *parent)
    : QWidget(parent) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int segment = 0; segment < count; ++segment) {
        auto *button = new QToolButton;
        button->setMinimumWidth(32);
        row->addWidget(button);
        buttons_.append(button);
        connect(button, &QToolButton::clicked, this, [this, segment] {
            setSelectedSegment(segment);
            emit clicked(segment);
        });
    }
}

void SegmentedButtons::setLabel(const QString &label, int segment) {
    if (QToolButton *button = buttons_.value(segment))
        button->setText(label);
}

QString SegmentedButtons::labelForSegment(int segment) const {
    const QToolButton *button = buttons_.value(segment);
    return button ? button->text() : QString();
}

void SegmentedButtons::setSelectedSegment(int segment) {
    if (segment >= -1 && segment < buttons_.size())
        selected_ = segment;
}
