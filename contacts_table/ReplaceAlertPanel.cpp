#include "contacts_table/ReplaceAlertPanel.h"

#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace {

bool isLineBreak(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator ||
           c == u'\v' || c == u'\f';
}

struct Mode {
    const QString &type;
    const char *message;
    const char *okTitle;
    bool labelsEnabled;
    bool emptiesLabels;
    bool startsEmpty;
};

} // namespace

ReplaceAlertPanel::ReplaceAlertPanel(QObject *parent)
    : WindowController(parent) {}

ReplaceAlertPanel::~ReplaceAlertPanel() = default;

Window *ReplaceAlertPanel::loadWindow() {
    auto *window = new Window;
    auto *content = new QWidget;
    replaceAlertMessage_ = new QLabel;
    replaceAlertMessage_->setWordWrap(true);
    columnTitle_ = new QLabel;
    columnPopup_ = new QComboBox;
    labelPopup_ = new QComboBox;
    // A text of several lines (a note) comes back as it was unless the user changes it.
    replaceTextField_ = new QPlainTextEdit;
    replaceTextField_->setTabChangesFocus(true);
    replaceTextField_->setFixedHeight(replaceTextField_->fontMetrics().lineSpacing() * 3 + 12);
    cancelButton_ = new QPushButton;
    okButton_ = new QPushButton(L("OK"));
    okButton_->setDefault(true);
    connect(labelPopup_, &QComboBox::activated, this, [this] { popupSelected(labelPopup_); });
    replaceTextField_->installEventFilter(this);
    window->installEventFilter(this);
    connect(replaceTextField_, &QPlainTextEdit::textChanged, this, [this] {
        keepTextOnOneLine();
        textFieldChanged(replaceTextField_);
    });
    for (QPushButton *button : {cancelButton_.data(), okButton_.data()})
        connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });

    auto *form = new QFormLayout;
    form->addRow(columnTitle_, columnPopup_);
    form->addRow(QString(), labelPopup_);
    form->addRow(QString(), replaceTextField_);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addWidget(okButton_);
    auto *layout = new QVBoxLayout(content);
    layout->addWidget(replaceAlertMessage_);
    layout->addLayout(form);
    layout->addLayout(buttons);
    window->setCentralWidget(content);
    window->resize(420, 220);
    return window;
}

void ReplaceAlertPanel::windowDidLoad() {
    window()->setMainMenu(nullptr);
    window()->menuBar()->hide();
    columnTitle_->setText(L("Columns"));
    updateUI();
    cancelButton_->setText(L("Cancel"));
}

void ReplaceAlertPanel::updateUI() {
    if (!replaceString_)
        replaceString_ = QString();
    if (!isWindowLoaded())
        return;
    if (!labels_.isEmpty()) {
        labelPopup_->clear();
        for (qsizetype i = 0; i < labels_.size(); ++i)
            labelPopup_->addItem(i < localizedLabels_.size() ? localizedLabels_[i] : labels_[i], labels_[i]);
    }
    if (!identifier_.isEmpty()) {
        columnPopup_->clear();
        columnPopup_->addItem(QMPerson::localizedIdentifierForKey(identifier_));
    }
    static const Mode modes[] = {
        {AddLabelAndText, "In order to add the label and text %1", "Add", true, false, false},
        {ReplaceLabelAndText, "In order to replace the label and text %1", "Replace", true, false, false},
        {ReplaceText, "In order to replace the text %1", "Replace", false, false, false},
        {PrependText, "In order to prepend the text %1", "Prepend", false, false, true},
        {AppendText, "In order to append the text %1", "Append", false, true, true},
    };
    const Mode *mode = nullptr;
    for (const Mode &candidate : modes)
        if (candidate.type == type_) {
            mode = &candidate;
            break;
        }
    if (mode) {
        replaceAlertMessage_->setText(L(mode->message).arg(identifier_));
        okButton_->setText(L(mode->okTitle));
        labelPopup_->setEnabled(mode->labelsEnabled);
        if (mode->emptiesLabels)
            labelPopup_->clear();
        if (type_ == ReplaceLabelAndText && label_ && !label_->isEmpty() && labels_.contains(*label_))
            labelPopup_->setCurrentIndex(labelPopup_->findData(*label_));
    }
    // Prepending and appending start from nothing: the clicked value's text is no default.
    if (!mode || !mode->startsEmpty)
        replaceTextField_->setPlainText(*replaceString_);
    else
        replaceTextField_->clear();
}

void ReplaceAlertPanel::buttonPressed(QObject *sender) {
    if (sender == cancelButton_) {
        endSheet(CancelResponse);
    } else if (sender == okButton_) {
        replaceString_ = replaceTextField_->toPlainText();
        label_ = labelPopup_->count() > 0 ? std::optional(labelPopup_->currentData().toString()) : std::nullopt;
        endSheet(OKResponse);
    }
}

void ReplaceAlertPanel::popupSelected(QObject *sender) {
    if (sender == labelPopup_ && labelPopup_->count() > 0)
        label_ = labelPopup_->currentData().toString();
}

void ReplaceAlertPanel::textFieldChanged(QObject *sender) {
    if (sender == replaceTextField_)
        replaceString_ = replaceTextField_->toPlainText();
}

bool ReplaceAlertPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == replaceTextField_ && event->type() == QEvent::KeyPress)
        return textFieldKeyPressed(*static_cast<QKeyEvent *>(event));
    // The text is what the user came to change: typing goes there at once.
    if (isWindowLoaded() && watched == window() && event->type() == QEvent::Show) {
        replaceTextField_->selectAll();
        replaceTextField_->setFocus(Qt::OtherFocusReason);
    }
    return WindowController::eventFilter(watched, event);
}

bool ReplaceAlertPanel::textFieldKeyPressed(const QKeyEvent &key) {
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The cell editor's key for a line break; elsewhere Return is the confirming button's.
        if (key.modifiers() & Qt::AltModifier) {
            if (takesLineBreaks_)
                replaceTextField_->insertPlainText(QStringLiteral("\n"));
        } else {
            okButton_->click();
        }
        return true;
    case Qt::Key_Escape:
        cancelButton_->click();
        return true;
    default:
        return false;
    }
}

void ReplaceAlertPanel::keepTextOnOneLine() {
    if (takesLineBreaks_)
        return;
    QString text = replaceTextField_->toPlainText();
    if (std::none_of(text.cbegin(), text.cend(), isLineBreak))
        return;
    const int position = replaceTextField_->textCursor().position();
    std::replace_if(text.begin(), text.end(), isLineBreak, u' ');
    // One blank for each break keeps the length, so the cursor stays where it was.
    replaceTextField_->setPlainText(text);
    QTextCursor cursor = replaceTextField_->textCursor();
    cursor.setPosition(std::min(position, int(text.size())));
    replaceTextField_->setTextCursor(cursor);
}

void ReplaceAlertPanel::endSheet(int code) {
    Application::shared().endSheet(window(), code);
}

QLabel *ReplaceAlertPanel::replaceAlertMessage() {
    window();
    return replaceAlertMessage_;
}

QLabel *ReplaceAlertPanel::columnTitle() {
    window();
    return columnTitle_;
}

QComboBox *ReplaceAlertPanel::columnPopup() {
    window();
    return columnPopup_;
}

QComboBox *ReplaceAlertPanel::labelPopup() {
    window();
    return labelPopup_;
}

QPlainTextEdit *ReplaceAlertPanel::replaceTextField() {
    window();
    return replaceTextField_;
}

QPushButton *ReplaceAlertPanel::cancelButton() {
    window();
    return cancelButton_;
}

QPushButton *ReplaceAlertPanel::okButton() {
    window();
    return okButton_;
}
