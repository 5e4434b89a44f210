#include "find/FindBarController.h"

#include "find/FindPattern.h"
#include "find/SegmentedButtons.h"
#include "platform/core/Localization.h"

#include <QApplication>
#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVariantAnimation>

namespace {

bool animations = true;

} // namespace

void FindBarView::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(QPen(QColor(Qt::lightGray), 2.0));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    QWidget::paintEvent(event);
}

FindBarController::FindBarController(QObject *parent)
    : ViewController(parent) {}

FindBarController::~FindBarController() = default;

void FindBarController::setAnimationsEnabled(bool on) {
    animations = on;
}

QWidget *FindBarController::loadView() {
    auto *bar = new FindBarView;
    bar_ = bar;
    bar->setObjectName(QStringLiteral("findBar"));
    // A narrow window squeezes the bar's fields rather than the bar widening the window.
    bar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    searchField_ = new QLineEdit(bar);
    searchField_->setObjectName(QStringLiteral("searchField"));
    searchField_->setClearButtonEnabled(true);
    searchField_->setMinimumWidth(180);
    optionPopup_ = new QComboBox(bar);
    optionPopup_->setObjectName(QStringLiteral("optionPopup"));
    directControl_ = new SegmentedButtons(2, bar);
    directControl_->setObjectName(QStringLiteral("directControl"));
    directControl_->button(0)->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowBack));
    directControl_->button(1)->setIcon(QApplication::style()->standardIcon(QStyle::SP_ArrowForward));
    replaceStringField_ = new QLineEdit(bar);
    replaceStringField_->setObjectName(QStringLiteral("replaceStringField"));
    replaceStringField_->setMinimumWidth(140);
    replaceControl_ = new SegmentedButtons(2, bar);
    replaceControl_->setObjectName(QStringLiteral("replaceControl"));
    doneButton_ = new QPushButton(bar);
    doneButton_->setObjectName(QStringLiteral("doneButton"));

    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 5, 8, 5);
    row->addWidget(searchField_, 2);
    row->addWidget(optionPopup_);
    row->addWidget(directControl_);
    row->addSpacing(12);
    row->addWidget(replaceStringField_, 1);
    row->addWidget(replaceControl_);
    row->addStretch();
    row->addWidget(doneButton_);

    connect(directControl_, &SegmentedButtons::clicked, this, [this] { buttonPressed(directControl_); });
    connect(replaceControl_, &SegmentedButtons::clicked, this, [this] { buttonPressed(replaceControl_); });
    connect(doneButton_, &QPushButton::clicked, this, [this] { buttonPressed(doneButton_); });
    connect(optionPopup_, &QComboBox::activated, this, [this] { popupChanged(optionPopup_); });
    connect(searchField_, &QLineEdit::returnPressed, this, [this] { textDidEnter(searchField_); });
    // Emptying the field (its clear button included) ends the search at once, as a search
    // field does.
    connect(searchField_, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (text.isEmpty())
            textDidEnter(searchField_);
    });
    return bar;
}

void FindBarController::viewDidLoad() {
    caseInsensitive_ = true;
    view()->hide();
    replaceStringField_->setPlaceholderText(L("Replace"));
    doneButton_->setText(L("Done"));
    optionPopup_->clear();
    for (const FindCompareOptions::SearchMode &mode : FindCompareOptions::SearchModes)
        if (!(mode.compareOptions & FindCompareOptions::RegularExpression))
            optionPopup_->addItem(L(mode.title));
    optionPopup_->setCurrentIndex(0);
    replaceControl_->setLabel(L("Replace"), 0);
    replaceControl_->setLabel(L("All"), 1);
    replaceControl_->setEnabled(editState_);
}

QLineEdit *FindBarController::searchField() {
    view();
    return searchField_;
}

QLineEdit *FindBarController::replaceStringField() {
    view();
    return replaceStringField_;
}

QPushButton *FindBarController::doneButton() {
    view();
    return doneButton_;
}

SegmentedButtons *FindBarController::directControl() {
    view();
    return directControl_;
}

SegmentedButtons *FindBarController::replaceControl() {
    view();
    return replaceControl_;
}

QComboBox *FindBarController::optionPopup() {
    view();
    return optionPopup_;
}

QString FindBarController::replaceString() {
    return replaceStringField()->text();
}

void FindBarController::focusSearchField() {
    searchField()->setFocus(Qt::ShortcutFocusReason);
    searchField_->selectAll();
}

void FindBarController::setEditState(bool editState) {
    editState_ = editState;
    if (replaceControl_)
        replaceControl_->setEnabled(editState);
}

bool FindBarController::isVisible() const {
    return bar_ && !bar_->isHidden();
}

void FindBarController::buttonPressed(QObject *sender) {
    if (sender == doneButton_) {
        setVisible(false);
        if (delegate_)
            delegate_->findBarButtonDidPress(FindBarCommand::Done);
        return;
    }
    if (!delegate_)
        return;
    if (sender == directControl_) {
        const int segment = directControl_->selectedSegment();
        if (segment == 0 || segment == 1)
            delegate_->findBarButtonDidPress(segment == 0 ? FindBarCommand::Previous : FindBarCommand::Next);
    } else if (sender == replaceControl_) {
        const int segment = replaceControl_->selectedSegment();
        if (segment == 0 || segment == 1)
            delegate_->findBarButtonDidPress(segment == 0 ? FindBarCommand::Replace
                                                          : FindBarCommand::ReplaceAll);
    }
}

void FindBarController::popupChanged(QObject *sender) {
    if (sender != optionPopup_)
        return;
    caseInsensitive_ = optionPopup_->currentIndex() == 0;
    if (delegate_)
        delegate_->findBarButtonDidPress(FindBarCommand::OptionChanged);
}

void FindBarController::textDidEnter(QObject *sender) {
    if (sender == searchField_ && delegate_)
        delegate_->findStringDidChange(searchField_->text());
}

// ---- Showing and hiding

void FindBarController::setVisible(bool visible, std::function<void()> completion) {
    QWidget *bar = view();
    // A change still under way ends where it is: its caller hears of its end now.
    if (animation_)
        animation_->stop();
    ++pendingChange_;
    if (std::function<void()> superseded = std::exchange(completion_, nullptr))
        superseded();
    targetVisible_ = visible;
    completion_ = std::move(completion);
    const bool wasHidden = bar->isHidden();
    // Shown while it fades out too, the panes below following its height; a hidden bar
    // asked to hide just stays so.
    if (visible || !wasHidden)
        bar->show();
    if (!animations || (!visible && wasHidden)) {
        QTimer::singleShot(0, this, [this, change = pendingChange_] {
            if (change == pendingChange_)
                finishAnimation();
        });
        return;
    }
    auto *opacity = qobject_cast<QGraphicsOpacityEffect *>(bar->graphicsEffect());
    if (!opacity) {
        opacity = new QGraphicsOpacityEffect(bar);
        opacity->setOpacity(wasHidden ? 0.0 : 1.0);
        bar->setGraphicsEffect(opacity);
    }
    const int fullHeight = bar->sizeHint().height();
    const double from = wasHidden ? 0.0 : opacity->opacity();
    auto *animation = new QVariantAnimation(this);
    animation->setDuration(AnimationMilliseconds);
    animation->setStartValue(from);
    animation->setEndValue(visible ? 1.0 : 0.0);
    connect(animation, &QVariantAnimation::valueChanged, bar,
            [bar, opacity, fullHeight](const QVariant &value) {
                const double shown = value.toDouble();
                opacity->setOpacity(shown);
                bar->setMaximumHeight(int(shown * fullHeight));
            });
    connect(animation, &QVariantAnimation::finished, this, [this, change = pendingChange_] {
        if (change == pendingChange_)
            finishAnimation();
    });
    animation_ = animation;
    bar->setMaximumHeight(int(from * fullHeight));
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void FindBarController::finishAnimation() {
    QWidget *bar = view();
    bar->setGraphicsEffect(nullptr);
    bar->setMaximumHeight(QWIDGETSIZE_MAX);
    bar->setVisible(targetVisible_);
    if (std::function<void()> completion = std::exchange(completion_, nullptr))
        completion();
}
