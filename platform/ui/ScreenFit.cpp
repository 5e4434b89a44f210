#include "platform/ui/ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QMargins frameMargins(const QWidget *window) {
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

namespace {

// A window not shown yet has no frame: another framed window tells what the manager adds.
QMargins expectedFrameMargins(const QWidget *window) {
    const QMargins own = frameMargins(window);
    if (!own.isNull())
        return own;
    for (const QWidget *other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible())
            if (const QMargins margins = frameMargins(other); !margins.isNull())
                return margins;
    return {};
}

bool placesItself(const QWidget *window) {
    if (window->property(placesItselfProperty).toBool())
        return true;
    switch (window->windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
        return true;
    default:
        return false;
    }
}

class ScreenFitter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow() && !placesItself(widget))
                keepInsideScreen(widget);
        }
        return false;
    }
};

} // namespace

void keepInsideScreen(QWidget *window) {
    if (!window || !window->isWindow())
        return;
    // In frame coordinates, as move() takes them.
    const QMargins margins = expectedFrameMargins(window);
    QRect frame = window->geometry().marginsAdded(margins);
    const bool placed = window->testAttribute(Qt::WA_Moved);
    if (!placed) {
        const QWidget *over = QApplication::activeWindow();
        if (!over || over == window)
            over = window->parentWidget() ? window->parentWidget()->window() : nullptr;
        if (over && over != window && over->isVisible())
            frame.moveCenter(over->frameGeometry().center());
    }
    QScreen *screen = QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    const QPoint wanted = frame.topLeft();
    const QSize minimum = window->minimumSize().grownBy(margins);
    frame.setSize(frame.size().boundedTo(area.size()).expandedTo(minimum));
    frame.moveLeft(
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
    frame.moveTop(
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
    const QSize size = frame.size().shrunkBy(margins);
    if (size != window->size())
        window->resize(size);
    if (!placed || frame.topLeft() != wanted)
        window->move(frame.topLeft());
}

void keepWindowsInsideScreen() {
    static ScreenFitter *fitter = nullptr;
    if (fitter || !qApp)
        return;
    fitter = new ScreenFitter(qApp);
    qApp->installEventFilter(fitter);
}

QRect cascadedFrame(const QRect &defaultFrame, const std::optional<QRect> &frontFrame, const QRect &area) {
    if (!frontFrame)
        return defaultFrame;
    QRect frame(frontFrame->topLeft() + QPoint(CascadeOffset, CascadeOffset), defaultFrame.size());
    if (area.isEmpty())
        return frame;
    if (frame.right() > area.right())
        frame.moveLeft(area.left());
    if (frame.bottom() > area.bottom())
        frame.moveTop(area.top());
    return frame;
}
