#include "editors/CellTextEditor.h"

#include "platform/ui/Popover.h"

#include <QKeyEvent>
#include <QMimeData>

#include <algorithm>

namespace {

bool isLineBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator ||
           c == u'\v' || c == u'\f';
}

} // namespace

CellTextEditor::CellTextEditor(QWidget *parent)
    : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("CellTextEditor"));
    // Inside a popover (the contact popover's table) Escape ends the edit, not the popover.
    setProperty(Popover::keepsEscapeProperty, true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    document()->setDocumentMargin(1);
}

bool CellTextEditor::event(QEvent *event) {
    // Before the widget's own handling, which would take Tab for the focus chain.
    if (event->type() != QEvent::KeyPress || ended_)
        return QPlainTextEdit::event(event);
    auto *key = static_cast<QKeyEvent *>(event);
    Command command;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (key->modifiers() & Qt::AltModifier) {
            if (takesLineBreaks_)
                insertPlainText(QStringLiteral("\n"));
            return true;
        }
        command = Command::InsertNewline;
        break;
    case Qt::Key_Tab:
        command = Command::InsertTab;
        break;
    case Qt::Key_Backtab:
        command = Command::InsertBacktab;
        break;
    case Qt::Key_Escape:
        command = Command::CancelOperation;
        break;
    default:
        return QPlainTextEdit::event(event);
    }
    event->accept();
    if (commandHandler_ && commandHandler_(command))
        return true;
    finish(command != Command::CancelOperation);
    return true;
}

void CellTextEditor::focusOutEvent(QFocusEvent *event) {
    QPlainTextEdit::focusOutEvent(event);
    // A menu opened over the cell, or another window becoming active, leaves the edit going.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        finish(true);
}

QString CellTextEditor::withoutLineBreaks(QString text) {
    // One blank for each break keeps the length, so positions in the text stay where they were.
    std::replace_if(text.begin(), text.end(), isLineBreak, u' ');
    return text;
}

void CellTextEditor::insertFromMimeData(const QMimeData *source) {
    if (takesLineBreaks_ || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    insertPlainText(withoutLineBreaks(source->text()));
}

void CellTextEditor::finish(bool keepText) {
    if (ended_)
        return;
    ended_ = true;
    emit editingDidEnd(keepText);
}
