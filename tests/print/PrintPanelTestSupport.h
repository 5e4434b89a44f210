#pragma once

#include "print/AccessoryViewController.h"
#include "tests/print/PrintTestSupport.h"

#include <QComboBox>
#include <QTest>

namespace print_test {

// Types into a length field as a user does: over what it shows, then Return.
inline void type(LengthField *field, const QString &text) {
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// Moves a popup to the item with that data with the arrow keys, which report the choice.
inline void choose(QComboBox *popup, const QVariant &data) {
    const int target = popup->findData(data);
    ASSERT_GE(target, 0) << data.toString().toStdString();
    for (int presses = popup->count(); popup->currentIndex() != target && presses > 0; --presses)
        QTest::keyClick(popup, popup->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_EQ(popup->currentIndex(), target);
}

} // namespace print_test
