#include "platform/ui/Popover.h"

#include "platform/core/Localization.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ScreenFit.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace {
constexpr int kArrow = 9;    // arrow depth
constexpr int kRadius = 6;   // corner radius
constexpr int kTearOff = 12; // drag distance that tears the popover off
constexpr int kHeader = 22;  // header of a detachable popover
const char *const kPopoverProperty = "tessarinPopover";

Popover *popoverOfFrame(const QWidget *widget) {
    return qobject_cast<Popover *>(widget->property(kPopoverProperty).value<QObject *>());
}
} // namespace

// The rounded box with its arrow toward the anchor; a detachable popover also has a
// header to drag it off by, and a Detach button for the keyboard.
class PopoverFrame : public QWidget {
public:
    PopoverFrame(Popover *popover, QWidget *host)
        : QWidget(host, Popover::framesAreWindows()
                            ? Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint
                            : Qt::Widget)
        , popover_(popover) {
        setProperty(kPopoverProperty, QVariant::fromValue(static_cast<QObject *>(popover)));
        setProperty(placesItselfProperty, true);
        setAttribute(Qt::WA_StyledBackground, false);
        setAutoFillBackground(false);
        auto *column = new QVBoxLayout(this);
        // Placed where the screen has room, the frame may be smaller than its content asks.
        column->setSizeConstraint(QLayout::SetNoConstraint);
        column->setSpacing(0);
        header_ = new QWidget(this);
        header_->setFixedHeight(kHeader);
        header_->setCursor(Qt::OpenHandCursor);
        auto *row = new QHBoxLayout(header_);
        row->setContentsMargins(6, 0, 2, 0);
        row->addStretch();
        detachButton_ = new QToolButton(header_);
        detachButton_->setText(L("Detach"));
        detachButton_->setAutoRaise(true);
        row->addWidget(detachButton_);
        QObject::connect(detachButton_, &QToolButton::clicked, popover, &Popover::detach);
        header_->installEventFilter(this);
        column->addWidget(header_);
        body_ = new QVBoxLayout;
        body_->setContentsMargins(0, 0, 0, 0);
        column->addLayout(body_);
    }

    void setContent(QWidget *content) {
        if (content_ == content)
            return;
        if (content_)
            body_->removeWidget(content_);
        content_ = content;
        if (content) {
            content->setParent(this);
            body_->addWidget(content);
            content->show();
        }
    }
    void setDetachable(bool on) { header_->setVisible(on); }
    int headerHeight() const { return header_->isVisibleTo(this) ? kHeader : 0; }

    void setEdge(RectEdge edge, int arrowOffset) {
        edge_ = edge;
        arrowOffset_ = arrowOffset;
        QMargins margins(1, 1, 1, 1);
        switch (edge) {
        case RectEdge::MaxY:
            margins.setTop(kArrow + 1);
            break;
        case RectEdge::MinY:
            margins.setBottom(kArrow + 1);
            break;
        case RectEdge::MaxX:
            margins.setLeft(kArrow + 1);
            break;
        case RectEdge::MinX:
            margins.setRight(kArrow + 1);
            break;
        }
        layout()->setContentsMargins(margins);
        shapeWindow();
        update();
    }

protected:
    void resizeEvent(QResizeEvent *event) override {
        QWidget::resizeEvent(event);
        shapeWindow();
    }

    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath path = outline();
        painter.setPen(QPen(palette().color(QPalette::Mid), 1));
        painter.setBrush(palette().color(QPalette::Window));
        painter.drawPath(path);
        if (header_->isVisible()) {
            painter.setPen(palette().color(QPalette::Mid));
            const QRect h = header_->geometry();
            for (int i = 0; i < 3; ++i) // grip
                painter.drawLine(h.left() + 10, h.top() + 7 + 3 * i, h.left() + 30, h.top() + 7 + 3 * i);
        }
    }

    // The rounded box with its arrow.
    QPainterPath outline() const {
        QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPolygonF arrow;
        const qreal at = arrowOffset_;
        switch (edge_) {
        case RectEdge::MaxY:
            box.setTop(box.top() + kArrow);
            arrow << QPointF(at - kArrow, box.top()) << QPointF(at, box.top() - kArrow)
                  << QPointF(at + kArrow, box.top());
            break;
        case RectEdge::MinY:
            box.setBottom(box.bottom() - kArrow);
            arrow << QPointF(at - kArrow, box.bottom()) << QPointF(at, box.bottom() + kArrow)
                  << QPointF(at + kArrow, box.bottom());
            break;
        case RectEdge::MaxX:
            box.setLeft(box.left() + kArrow);
            arrow << QPointF(box.left(), at - kArrow) << QPointF(box.left() - kArrow, at)
                  << QPointF(box.left(), at + kArrow);
            break;
        case RectEdge::MinX:
            box.setRight(box.right() - kArrow);
            arrow << QPointF(box.right(), at - kArrow) << QPointF(box.right() + kArrow, at)
                  << QPointF(box.right(), at + kArrow);
            break;
        }
        QPainterPath path;
        path.addRoundedRect(box, kRadius, kRadius);
        QPainterPath tip;
        tip.addPolygon(arrow);
        tip.closeSubpath();
        return path.united(tip);
    }

    // A window of its own shows only its box and arrow: without a compositor a see-through
    // background would be drawn black. (The platforms that draw no screen take no shape.)
    void shapeWindow() {
        static const bool shapes = !QGuiApplication::platformName().contains(QLatin1String("offscreen")) &&
                                   QGuiApplication::platformName() != QLatin1String("minimal");
        if (isWindow() && shapes)
            setMask(QRegion(outline().toFillPolygon().toPolygon()));
    }

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != header_)
            return false;
        if (event->type() == QEvent::MouseButtonPress) {
            pressAt_ = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            pressed_ = true;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            pressed_ = false;
        } else if (event->type() == QEvent::MouseMove && pressed_) {
            const QPoint at = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            if ((at - pressAt_).manhattanLength() >= kTearOff) {
                pressed_ = false;
                popover_->detach();
            }
        }
        return false;
    }

private:
    Popover *popover_;
    QWidget *header_;
    QToolButton *detachButton_;
    QVBoxLayout *body_;
    QPointer<QWidget> content_;
    RectEdge edge_ = RectEdge::MaxY;
    int arrowOffset_ = 0;
    QPoint pressAt_;
    bool pressed_ = false;
};

Popover::Popover(QObject *parent)
    : QObject(parent) {}

Popover::~Popover() {
    if (shown_)
        qApp->removeEventFilter(this);
    // Later: the popover may go while its own frame is handling an event (Detach, Done).
    if (frame_) {
        frame_->hide();
        frame_->deleteLater();
    }
}

ViewController *Popover::contentViewController() const {
    return content_;
}

void Popover::setContentViewController(ViewController *controller) {
    if (content_ == controller)
        return;
    if (content_ && content_->parent() == this)
        content_->deleteLater();
    content_ = controller;
    if (controller && !controller->parent())
        controller->setParent(this);
    if (frame_ && controller)
        frame_->setContent(controller->view());
    if (shown_)
        place();
}

void Popover::setContentSize(const QSize &size) {
    contentSize_ = size;
    if (shown_)
        place();
}

QWidget *Popover::frame() const {
    return frame_;
}

bool Popover::isDetachable() {
    return delegate_ && delegate_->popoverShouldDetach(this);
}

void Popover::showRelativeToRect(const QRect &rect, QWidget *view, RectEdge preferredEdge) {
    if (!view || !content_)
        return;
    QWidget *host = view->window();
    if (frame_ && frame_->parentWidget() != host)
        delete frame_.data();
    if (!frame_)
        frame_ = new PopoverFrame(this, host);
    if (anchorView_ && anchorView_->window() != host)
        anchorView_->window()->removeEventFilter(this);
    anchorView_ = view;
    anchorRect_ = rect;
    preferredEdge_ = preferredEdge;
    frame_->setContent(content_->view());
    frame_->setDetachable(isDetachable());
    place();
    frame_->show();
    frame_->raise();
    if (frame_->isWindow())
        frame_->activateWindow();
    if (!shown_) {
        shown_ = true;
        qApp->installEventFilter(this);
    }
    // The first control that takes the keyboard gets the focus.
    for (QWidget *child : content_->view()->findChildren<QWidget *>())
        if ((child->focusPolicy() & Qt::TabFocus) && child->isVisibleTo(frame_) && child->isEnabled()) {
            child->setFocus(Qt::PopupFocusReason);
            break;
        }
}

void Popover::place() {
    if (!frame_ || !anchorView_)
        return;
    const QSize box(contentSize_.width() + 2, contentSize_.height() + frame_->headerHeight() + 2);
    QRect anchor;
    QRect area;
    if (frame_->isWindow()) {
        anchor = QRect(anchorView_->mapToGlobal(anchorRect_.topLeft()), anchorRect_.size());
        const QScreen *screen = QGuiApplication::screenAt(anchor.center());
        area = (screen ? screen : anchorView_->screen())->availableGeometry();
    } else {
        QWidget *host = frame_->parentWidget();
        anchor = QRect(anchorView_->mapTo(host, anchorRect_.topLeft()), anchorRect_.size());
        area = host->rect();
    }
    const PopoverPlacement placement = placePopover(anchor, box, area, preferredEdge_, kArrow);
    shownEdge_ = placement.edge;
    const bool vertical = placement.edge == RectEdge::MaxY || placement.edge == RectEdge::MinY;
    const int along = vertical ? placement.frame.width() : placement.frame.height();
    frame_->setEdge(placement.edge, qBound(kArrow + kRadius, placement.arrowAt, along - kArrow - kRadius));
    frame_->setGeometry(placement.frame);
}

bool Popover::framesAreWindows() {
    // Wayland places no window where an application asks.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

PopoverPlacement placePopover(const QRect &anchor, const QSize &box, const QRect &area, RectEdge preferred,
                              int arrowDepth) {
    const auto isVertical = [](RectEdge edge) { return edge == RectEdge::MaxY || edge == RectEdge::MinY; };
    const auto roomOn = [&](RectEdge edge) {
        switch (edge) {
        case RectEdge::MaxY:
            return area.bottom() - anchor.bottom();
        case RectEdge::MinY:
            return anchor.top() - area.top();
        case RectEdge::MaxX:
            return area.right() - anchor.right();
        case RectEdge::MinX:
            return anchor.left() - area.left();
        }
        return 0;
    };
    const auto opposite = [](RectEdge edge) {
        switch (edge) {
        case RectEdge::MaxY:
            return RectEdge::MinY;
        case RectEdge::MinY:
            return RectEdge::MaxY;
        case RectEdge::MaxX:
            return RectEdge::MinX;
        case RectEdge::MinX:
            return RectEdge::MaxX;
        }
        return edge;
    };
    const auto needed = [&](RectEdge edge) {
        return (isVertical(edge) ? box.height() : box.width()) + arrowDepth;
    };

    PopoverPlacement placement;
    RectEdge edge = preferred;
    if (roomOn(edge) < needed(edge) &&
        (roomOn(opposite(edge)) >= needed(edge) || roomOn(opposite(edge)) > roomOn(edge)))
        edge = opposite(edge);
    placement.edge = edge;

    // Shrunk toward the anchor to the room on its side (never below a few arrows' depth,
    // then covering part of the anchor), and across it to the area.
    const bool vertical = isVertical(edge);
    const int extent = vertical ? area.height() : area.width();
    const int along = std::min({needed(edge), std::max(roomOn(edge), 4 * arrowDepth), extent});
    const QSize size = vertical ? QSize(std::min(box.width(), area.width()), along)
                                : QSize(along, std::min(box.height(), area.height()));
    QPoint origin;
    switch (edge) {
    case RectEdge::MaxY:
        origin = {anchor.center().x() - size.width() / 2, anchor.bottom() + 1};
        break;
    case RectEdge::MinY:
        origin = {anchor.center().x() - size.width() / 2, anchor.top() - size.height()};
        break;
    case RectEdge::MaxX:
        origin = {anchor.right() + 1, anchor.center().y() - size.height() / 2};
        break;
    case RectEdge::MinX:
        origin = {anchor.left() - size.width(), anchor.center().y() - size.height() / 2};
        break;
    }
    origin.setX(std::max(area.left(), std::min(origin.x(), area.right() + 1 - size.width())));
    origin.setY(std::max(area.top(), std::min(origin.y(), area.bottom() + 1 - size.height())));
    placement.frame = QRect(origin, size);
    placement.arrowAt = vertical ? anchor.center().x() - origin.x() : anchor.center().y() - origin.y();
    return placement;
}

bool Popover::owns(const QWidget *widget) const {
    for (const QWidget *w = widget; w;) {
        if (frame_ && w == frame_)
            return true;
        if (Popover *other = popoverOfFrame(w); other && other != this)
            return other->anchorView_ && owns(other->anchorView_);
        const QWidget *up = w->parentWidget();
        // A context menu without a parent belongs to the widget it was opened on.
        if (!up)
            if (const auto *menu = qobject_cast<const Menu *>(w))
                up = menu->ownerWidget();
        w = up;
    }
    return false;
}

bool Popover::eventFilter(QObject *watched, QEvent *event) {
    if (!shown_ || !frame_ || !watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::MouseButtonPress && behavior_ != PopoverBehavior::ApplicationDefined) {
        if (!owns(widget) && (behavior_ == PopoverBehavior::Transient ||
                              (anchorView_ && widget->window() == anchorView_->window())))
            close();
    } else if (event->type() == QEvent::KeyPress && behavior_ != PopoverBehavior::ApplicationDefined &&
               static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape &&
               !QApplication::activePopupWidget() && widget->window() == frame_->window() && owns(widget) &&
               !(QApplication::focusWidget() &&
                 QApplication::focusWidget()->property(keepsEscapeProperty).toBool())) {
        close();
        return true;
    } else if ((event->type() == QEvent::Resize || event->type() == QEvent::Move) && anchorView_ &&
               widget == frame_->parentWidget()) {
        // The popover goes with its window.
        place();
    } else if (event->type() == QEvent::Hide && widget == frame_->parentWidget() && frame_->isWindow()) {
        close();
    }
    return false;
}

void Popover::closeInternal() {
    shown_ = false;
    qApp->removeEventFilter(this);
    if (!frame_)
        return;
    const bool hadTheKeyboard = frame_->isWindow() && frame_->isActiveWindow();
    frame_->hide();
    // The keyboard goes back to the window the popover was opened from.
    if (hadTheKeyboard && anchorView_ && anchorView_->isVisible())
        anchorView_->window()->activateWindow();
}

void Popover::close() {
    if (!shown_)
        return;
    closeInternal();
    if (delegate_)
        delegate_->popoverDidClose(this);
}

void Popover::detach() {
    if (!shown_ || !isDetachable())
        return;
    Window *window = delegate_->detachableWindowForPopover(this);
    if (!window)
        return;
    const QPoint at = frame_->mapToGlobal(QPoint(0, 0));
    const QSize size = contentSize_;
    close(); // the delegate may let the popover go: nothing of it is used after this
    window->resize(size);
    // Its frame where the popover was, which is on the screen: the window places itself.
    window->setProperty(placesItselfProperty, true);
    window->move(at); // where the window system lets us
    window->show();
    window->raise();
    window->activateWindow();
    // A drag in progress carries on moving the new window.
    if (QApplication::mouseButtons() & Qt::LeftButton)
        if (QWindow *handle = window->windowHandle())
            handle->startSystemMove();
}
