#pragma once

#include <QPlainTextEdit>

#include <functional>

// The field editor of a table cell. Plain text, so a value of several lines keeps its line
// breaks. Return, Tab, Shift+Tab and Escape are commands its owner sees first (Alt+Return
// inserts a line break); a command the owner leaves is done as a field editor does it:
// Return, Tab and Shift+Tab end the edit keeping the text, Escape ends it dropping the text.
// Losing the focus to another control ends the edit keeping the text.
class CellTextEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    enum class Command { InsertNewline, InsertTab, InsertBacktab, CancelOperation };

    explicit CellTextEditor(QWidget *parent = nullptr);

    // Answers whether the owner handled the command.
    void setCommandHandler(std::function<bool(Command)> handler) { commandHandler_ = std::move(handler); }
    // Once ended, an editor reports nothing more.
    bool hasEnded() const { return ended_; }
    void end() { ended_ = true; }

signals:
    void editingDidEnd(bool keepText);

protected:
    bool event(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void finish(bool keepText);

    std::function<bool(Command)> commandHandler_;
    bool ended_ = false;
};
