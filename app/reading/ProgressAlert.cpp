#include "app/reading/ProgressAlert.h"

#include "app/reading/PanelWindow.h"
#include "app/reading/Product.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <cmath>

namespace tessarin {

ProgressRun::ProgressRun(ProgressAlert *alert, quint64 generation)
    : alert_(alert)
    , generation_(generation) {}

void ProgressRun::setProgress(double percent) {
    const int whole = int(std::floor(percent));
    // One post per card would flood the main thread on a large file.
    if (lastPercent_.exchange(whole, std::memory_order_relaxed) == whole)
        return;
    Dispatch::main([run = shared_from_this(), percent] {
        if (run->alert_ && run->alert_->generation_ == run->generation_)
            run->alert_->setProgress(percent);
    });
}

void ProgressRun::finish() {
    Dispatch::main([run = shared_from_this()] {
        if (run->alert_ && run->alert_->generation_ == run->generation_) {
            run->alert_->setProgress(100);
            run->closeWhenHeld();
        }
    });
}

void ProgressRun::holdWindowAtLeast(int milliseconds) {
    minimumMilliseconds_ = milliseconds;
    begun_.start();
}

void ProgressRun::closeWhenHeld() {
    if (!alert_ || alert_->generation_ != generation_)
        return;
    const qint64 remaining = begun_.isValid() ? minimumMilliseconds_ - begun_.elapsed() : 0;
    if (remaining <= 0) {
        alert_->requestClose();
        return;
    }
    // A Cancel meanwhile closes the window first; the close that follows finds it closed.
    QTimer::singleShot(std::chrono::milliseconds(remaining), Qt::PreciseTimer, alert_.data(),
                       [run = shared_from_this()] { run->closeWhenHeld(); });
}

ProgressAlert::ProgressAlert(QObject *parent)
    : ::WindowController(parent) {}

Window *ProgressAlert::loadWindow() {
    // No close box: Cancel (or Escape) is the only way out the user has.
    auto *window = new Window;
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto *content = new QWidget;
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(20, 16, 20, 16);
    grid->setHorizontalSpacing(16);
    iconView_ = new QLabel;
    iconView_->setFixedSize(64, 64);
    iconView_->setScaledContents(true);
    alertMessage_ = new QLabel;
    alertMessage_->setMinimumWidth(320);
    alertMessage_->setTextFormat(Qt::PlainText);
    progressIndicator_ = new QProgressBar;
    progressIndicator_->setRange(0, 100);
    progressIndicator_->setTextVisible(false);
    cancelButton_ = new QPushButton(L("Cancel"));
    cancelButton_->setAutoDefault(false);
    QObject::connect(cancelButton_, &QPushButton::clicked, this, [this] { buttonPressed(cancelButton_); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    grid->addWidget(iconView_, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(alertMessage_, 0, 1);
    grid->addWidget(progressIndicator_, 1, 1);
    grid->addLayout(buttons, 2, 1);
    window->setCentralWidget(content);
    window->installEventFilter(this);
    return window;
}

bool ProgressAlert::eventFilter(QObject *watched, QEvent *event) {
    // Escape is Cancel, from wherever the focus is in the window.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape &&
        isWindowLoaded() && watched == window()) {
        buttonPressed(cancelButton_);
        return true;
    }
    return ::WindowController::eventFilter(watched, event);
}

void ProgressAlert::windowDidLoad() {
    removeMenuBar(window());
    window()->setWindowTitle(Product::name());
    iconView_->setPixmap(Product::icon());
    window()->adjustSize();
    window()->setFixedSize(window()->sizeHint());
}

QLabel *ProgressAlert::alertMessage() {
    window();
    return alertMessage_;
}

QProgressBar *ProgressAlert::progressIndicator() {
    window();
    return progressIndicator_;
}

QPushButton *ProgressAlert::cancelButton() {
    window();
    return cancelButton_;
}

QLabel *ProgressAlert::iconView() {
    window();
    return iconView_;
}

void ProgressAlert::setProgress(double percent) {
    progressIndicator()->setValue(int(std::lround(std::clamp(percent, 0.0, 100.0))));
}

void ProgressAlert::requestClose() {
    closeWindow(ModalResponse::Stop);
}

void ProgressAlert::buttonPressed(QObject *sender) {
    if (sender && sender == cancelButton_)
        closeWindow(ModalResponse::Abort);
}

void ProgressAlert::closeWindow(int response) {
    // A close after the run ended (a late post) has nothing to end.
    if (!isWindowLoaded() || !window()->isVisible())
        return;
    closingResponse_ = response;
    window()->close();
}

void ProgressAlert::windowWillClose() {
    // The window system closing the window (a shortcut of the desktop) counts as Cancel:
    // a stop would let the caller read the work's result before it exists.
    const int response = closingResponse_ != 0 ? closingResponse_ : int(ModalResponse::Abort);
    closingResponse_ = 0;
    if (Application::shared().modalWindow() == window())
        Application::shared().stopModalWithCode(response);
}

ProgressRunPtr ProgressAlert::beginRun(const QString &message) {
    ++generation_;
    alertMessage()->setText(message);
    setProgress(0);
    return ProgressRunPtr(new ProgressRun(this, generation_));
}

int ProgressAlert::runModal(const ProgressRunPtr &run) {
    centreWindow(window(), Application::shared().keyWindow());
    const int response = Application::shared().runModalForWindow(window());
    if (response != ModalResponse::Stop)
        run->token_->cancel();
    return response;
}

} // namespace tessarin
