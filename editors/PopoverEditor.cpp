#include "editors/PopoverEditor.h"

#include "model/QMPerson.h"
#include "platform/core/Localization.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kPictureSide = 40;
} // namespace

// The editor's root: Return that no control took presses Done when Done wants it, as a
// key equivalent would.
class PopoverEditorView : public QWidget {
public:
    explicit PopoverEditorView(PopoverEditor *editor)
        : editor_(editor) {}

protected:
    void keyPressEvent(QKeyEvent *event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && editor_->returnPressed())
            return;
        QWidget::keyPressEvent(event);
    }

private:
    PopoverEditor *editor_;
};

PopoverEditor::PopoverEditor(Departures departures, QObject *parent)
    : ViewController(parent)
    , departures_(departures) {}

PopoverEditor::~PopoverEditor() = default;

QWidget *PopoverEditor::loadView() {
    auto *view = new PopoverEditorView(this);
    auto *column = new QVBoxLayout(view);
    column->setContentsMargins(12, 8, 12, 10);
    column->setSpacing(6);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(makePictureView());
    contactNameField_ = makeContactNameField();
    header->addWidget(contactNameField_, 1);
    column->addLayout(header);

    redSeparator_ = makeSeparator();
    column->addWidget(redSeparator_);

    column->addWidget(makeBody(), 1);

    auto *buttons = new QHBoxLayout;
    editButton_ = new QPushButton(L("Edit"));
    editButton_->setCheckable(true);
    cancelButton_ = new QPushButton(L("Cancel"));
    doneButton_ = new QPushButton(L("Done"));
    for (QPushButton *button : {editButton_, cancelButton_, doneButton_})
        button->setAutoDefault(false);
    buttons->addWidget(editButton_);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(doneButton_);
    column->addLayout(buttons);

    connect(editButton_, &QPushButton::clicked, this, [this] {
        if (departures_.returnAfterEditButton)
            setDoneKeyEquivalent(true);
        applyEditState();
    });
    connect(doneButton_, &QPushButton::clicked, this, &PopoverEditor::done);
    connect(cancelButton_, &QPushButton::clicked, this, &PopoverEditor::cancel);
    return view;
}

QLineEdit *PopoverEditor::makeContactNameField() {
    auto *field = new QLineEdit;
    field->setObjectName(QStringLiteral("contactNameField"));
    QFont nameFont = field->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.2);
    field->setFont(nameFont);
    showAsLabel(field);
    return field;
}

QFrame *PopoverEditor::makeSeparator() {
    auto *separator = new QFrame;
    separator->setObjectName(QStringLiteral("redSeparator"));
    separator->setFixedHeight(1);
    separator->setAutoFillBackground(true);
    return separator;
}

void PopoverEditor::showEditStateInSeparator(QFrame *separator, bool editing) {
    // Editing widens the separator to 2 and turns it red; locking only turns it gray.
    if (editing)
        separator->setFixedHeight(2);
    QPalette palette = separator->palette();
    palette.setColor(QPalette::Window, editing ? QColor(Qt::red) : QColor(Qt::gray));
    separator->setPalette(palette);
}

void PopoverEditor::showAsLabel(QLineEdit *field) {
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setFrame(false);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    field->setPalette(palette);
}

QWidget *PopoverEditor::makePictureView() {
    imageView_ = new QLabel;
    imageView_->setObjectName(QStringLiteral("imageView"));
    imageView_->setFixedSize(kPictureSide, kPictureSide);
    imageView_->setScaledContents(false);
    imageView_->setAlignment(Qt::AlignCenter);
    return imageView_;
}

void PopoverEditor::setContextInfo(SharedEditorContext context, bool editable) {
    view();
    contextInfo_ = std::move(context);
    if (QMPerson *contact = person()) {
        contactNameField_->setText(contact->compositeName());
        if (imageView_)
            imageView_->setPixmap(QPixmap::fromImage(contact->thumbnail().scaled(
                kPictureSide, kPictureSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    fillFromContext(editable);
    // An editor that does not read editEnabled is still gated by an explicit false: its
    // opener is locked.
    const bool gated = departures_.readsEditEnabled ? !contextInfo_->editEnabled.value_or(false)
                                                    : contextInfo_->editEnabled == false;
    editButton_->setEnabled(!gated);
    editButton_->setChecked(!gated && editable);
    if (departures_.returnAfterEditButton)
        setDoneKeyEquivalent(true);
    applyEditState();
    didSetContextInfo();
}

Popover *PopoverEditor::openInPopover(SharedEditorContext context, bool editable, QSize contentSize,
                                      const QRect &rect, QWidget *view, PopoverDelegate *delegate,
                                      QObject *owner) {
    auto *popover = new Popover(owner);
    popover->setBehavior(PopoverBehavior::Transient);
    popover->setAnimates(true);
    popover->setDelegate(delegate);
    setPopover(popover);
    popover->setContentViewController(this);
    popover->setContentSize(contentSize);
    popover->showRelativeToRect(rect, view, RectEdge::MaxY);
    setContextInfo(std::move(context), editable);
    return popover;
}

SharedEditorContext PopoverEditor::answerOf(const Popover *popover) {
    const auto *editor =
        popover ? qobject_cast<const PopoverEditor *>(popover->contentViewController()) : nullptr;
    if (!editor || !editor->contextInfo_ || !editor->contextInfo_->isDirty())
        return nullptr;
    return editor->contextInfo_;
}

bool PopoverEditor::isEditing() const {
    return editButton_ && editButton_->isChecked();
}

void PopoverEditor::applyEditState() {
    const bool editing = isEditing();
    editButton_->setText(editing ? L("Lock") : L("Edit"));
    if (departures_.appliesAtOnce || !editing) {
        doneButton_->setText(L("Done"));
        doneButton_->setEnabled(true);
        cancelButton_->setVisible(false);
    } else {
        const bool adding = departures_.addsNewValues && contextInfo_ && contextInfo_->asksForNewValue();
        doneButton_->setText(adding ? L("Add") : L("Change"));
        doneButton_->setEnabled(false);
        cancelButton_->setVisible(true);
    }
    showEditStateInSeparator(redSeparator_, editing);
    showEditState(editing);
}

void PopoverEditor::noteChange() {
    doneButton_->setEnabled(true);
    if (departures_.returnAfterChange)
        setDoneKeyEquivalent(true);
}

void PopoverEditor::setDoneKeyEquivalent(bool on) {
    doneKeyEquivalent_ = on;
    doneButton_->setDefault(on);
}

void PopoverEditor::keepReturn(QWidget *field) {
    fieldsKeepingReturn_.append(field);
}

bool PopoverEditor::returnPressed() {
    if (QWidget *focus = QApplication::focusWidget())
        for (const QPointer<QWidget> &field : fieldsKeepingReturn_)
            if (field && (field == focus || field->isAncestorOf(focus)))
                return true;
    if (!doneKeyEquivalent_ || !doneButton_->isEnabled() || !doneButton_->isVisible())
        return false;
    doneButton_->click();
    return true;
}

void PopoverEditor::answer(EditorContext &context, FieldValue value) {
    context.value = std::move(value);
    context.dirty = true;
}

QMPerson *PopoverEditor::person() const {
    return contextInfo_ ? contextInfo_->contact.person.get() : nullptr;
}

void PopoverEditor::done() {
    if (isEditing() && !departures_.appliesAtOnce && contextInfo_ && !writeAnswer(*contextInfo_))
        return;
    closePopover();
    clearFields();
}

void PopoverEditor::cancel() {
    if (departures_.cancelWritesNotDirty && contextInfo_)
        contextInfo_->dirty = false;
    closePopover();
    clearFields();
}

void PopoverEditor::closePopover() {
    if (popover_)
        popover_->close();
}
