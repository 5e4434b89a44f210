#pragma once

#include "platform/ui/Window.h"

#include <QPointer>
#include <QStringList>

#include <optional>

class QComboBox;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The sheet in which the user enters the text (and, in two modes, the label) that the
// contacts table's bulk commands give many rows at once. An opener makes one per command,
// sets the mode, the column, the labels and the clicked value's label and text, calls
// updateUI, begins the window as a sheet and reads `replaceString` and `label` when the
// sheet ends with 1 (0 is Cancel). Return in the text confirms; Escape cancels.
class ReplaceAlertPanel : public WindowController {
    Q_OBJECT
public:
    // The modes (`type`), untranslated.
    static inline const QString AddLabelAndText = QStringLiteral("Add Label and Text");
    static inline const QString ReplaceLabelAndText = QStringLiteral("Replace Label and Text");
    static inline const QString ReplaceText = QStringLiteral("Replace Text");
    static inline const QString PrependText = QStringLiteral("Prepend Text");
    static inline const QString AppendText = QStringLiteral("Append Text");
    static constexpr int OKResponse = 1;
    static constexpr int CancelResponse = 0;

    explicit ReplaceAlertPanel(QObject *parent = nullptr);
    ~ReplaceAlertPanel() override;

    QString type() const { return type_; }
    void setType(const QString &type) { type_ = type; }
    QString identifier() const { return identifier_; }
    void setIdentifier(const QString &identifier) { identifier_ = identifier; }
    // The raw label words offered, and their shown names index by index (may be shorter).
    QStringList labels() const { return labels_; }
    void setLabels(const QStringList &labels) { labels_ = labels; }
    QStringList localizedLabels() const { return localizedLabels_; }
    void setLocalizedLabels(const QStringList &labels) { localizedLabels_ = labels; }
    // In: the clicked value's label; out: the raw label chosen, none without labels.
    std::optional<QString> label() const { return label_; }
    void setLabel(const std::optional<QString> &label) { label_ = label; }
    // In: the clicked value's text; out: the text entered.
    std::optional<QString> replaceString() const { return replaceString_; }
    void setReplaceString(const std::optional<QString> &text) { replaceString_ = text; }
    // Whether the column's text may hold lines (a note, an address part): only there does
    // Alt+Return, as in a cell, break the line. Any other text stays on one line, a line
    // break pasted into it becoming a blank.
    bool takesLineBreaks() const { return takesLineBreaks_; }
    void setTakesLineBreaks(bool takes) { takesLineBreaks_ = takes; }

    // Lays the controls out from the values; before the window is loaded only the text's
    // default is taken.
    void updateUI();
    void buttonPressed(QObject *sender);
    void popupSelected(QObject *sender);
    void textFieldChanged(QObject *sender);

    QLabel *replaceAlertMessage();
    QLabel *columnTitle();
    QComboBox *columnPopup();
    QComboBox *labelPopup();
    QPlainTextEdit *replaceTextField();
    QPushButton *cancelButton();
    QPushButton *okButton();

    void windowDidLoad() override;

protected:
    Window *loadWindow() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void endSheet(int code);
    // Return, Enter and Escape in the text: the buttons' keys, and the line break's.
    bool textFieldKeyPressed(const QKeyEvent &key);
    void keepTextOnOneLine();

    QString type_;
    QString identifier_;
    QStringList labels_;
    QStringList localizedLabels_;
    std::optional<QString> label_;
    std::optional<QString> replaceString_;
    bool takesLineBreaks_ = false;

    QPointer<QLabel> replaceAlertMessage_;
    QPointer<QLabel> columnTitle_;
    QPointer<QComboBox> columnPopup_;
    QPointer<QComboBox> labelPopup_;
    QPointer<QPlainTextEdit> replaceTextField_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QPushButton> okButton_;
};
