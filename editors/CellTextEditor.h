#pragma once

#include <QPlainTextEdit>

#include <functional>

// The field editor of a table cell. Plain text, so a value of several lines keeps its line
// breaks. Return, Tab, Shift+Tab and Escape are commands its owner sees first (Alt+Return
// inserts a line break where the field's text may hold lines); a command the owner leaves is done as a field editor does it:
// Return, Tab and Shift+Tab end the edit keeping the text, Escape ends it dropping the text.
// Losing the focus to another control ends the edit keeping the text.
class CellTextEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    enum class Command { InsertNewline, InsertTab, InsertBacktab, CancelOperation };

    explicit CellTextEditor(QWidget *parent = nullptr);

    // Answers whether the owner handled the command.
    void setCommandHandler(std::function<bool(Command)> handler) { commandHandler_ = std::move(handler); }
    // Only a text of lines (a note, an address part) takes a line break, typed or pasted: in a
    // phone, an e-mail address or a URL a pasted break becomes a blank.
    void setTakesLineBreaks(bool takes) { takesLineBreaks_ = takes; }
    bool takesLineBreaks() const { return takesLineBreaks_; }
    static QString withoutLineBreaks(QString text);
    // Once ended, an editor reports nothing more.
    bool hasEnded() const { return ended_; }
    void end() { ended_ = true; }

signals:
    void editingDidEnd(bool keepText);

protected:
    bool event(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void finish(bool keepText);

    std::function<bool(Command)> commandHandler_;
    bool ended_ = false;
    bool takesLineBreaks_ = false;
};
