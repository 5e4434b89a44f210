#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

class PopoverFrame;
class ViewController;
class Window;
class QWidget;

// Edges in the view's own top-down coordinates: MaxY is below the rectangle.
enum class RectEdge { MinX, MinY, MaxX, MaxY };

enum class PopoverBehavior {
    ApplicationDefined, // closes only when told
    Transient,          // closes on a click outside itself and what it owns, or on Escape
    Semitransient,      // closes on a click elsewhere in its own window, or on Escape
};

class Popover;

class PopoverDelegate {
public:
    virtual ~PopoverDelegate() = default;
    // Sent after the popover has closed, when its content's answer is written. An opener
    // that lets the popover go here uses deleteLater(): the close may come from a click
    // that its content is still handling.
    virtual void popoverDidClose(Popover *) {}
    virtual bool popoverShouldDetach(Popover *) { return false; }
    // The window that takes the torn-off popover's place; nullptr keeps it attached.
    virtual Window *detachableWindowForPopover(Popover *) { return nullptr; }
};

// Where a popover's frame goes beside its anchor, all in one coordinate space (the screen's,
// or the window's where a popover is drawn inside it): on the preferred edge when it fits
// there, else on the opposite edge when it fits there, else on whichever of the two has
// more room, shrunk to that room; moved along the edge, and shrunk across it where it is
// wider than the area, so that it never leaves the area. `box` is the frame without its
// arrow, which adds `arrowDepth` toward the anchor.
struct PopoverPlacement {
    RectEdge edge = RectEdge::MaxY;
    QRect frame;     // the whole frame, arrow included
    int arrowAt = 0; // the arrow's tip along the frame's edge facing the anchor
};
PopoverPlacement placePopover(const QRect &anchor, const QSize &box, const QRect &area, RectEdge preferred,
                              int arrowDepth);

// A popover beside a rectangle of a view, in a frameless window of its own above the
// anchor's window, kept on the screen: a window never cuts it off. Where the window system
// places no windows of an application's choosing (Wayland) it is drawn inside the anchor's
// window instead, kept inside that. The popover owns its content view controller.
class Popover : public QObject {
    Q_OBJECT
public:
    // Escape closes a popover, except in a widget with this property set: a field that
    // cancels its own edit with Escape (a table cell's editor).
    static constexpr const char *keepsEscapeProperty = "keepsEscape";

    explicit Popover(QObject *parent = nullptr);
    ~Popover() override;

    PopoverBehavior behavior() const { return behavior_; }
    void setBehavior(PopoverBehavior behavior) { behavior_ = behavior; }
    bool animates() const { return animates_; }
    void setAnimates(bool on) { animates_ = on; }
    PopoverDelegate *delegate() const { return delegate_; }
    void setDelegate(PopoverDelegate *delegate) { delegate_ = delegate; }

    ViewController *contentViewController() const;
    void setContentViewController(ViewController *controller);
    QSize contentSize() const { return contentSize_; }
    void setContentSize(const QSize &size);

    // Shows beside rect (in view's coordinates), on the preferred edge, or on the
    // opposite edge when the screen has no room there (placePopover).
    void showRelativeToRect(const QRect &rect, QWidget *view, RectEdge preferredEdge);
    void close();
    void performClose() { close(); }
    bool isShown() const { return shown_; }
    RectEdge shownEdge() const { return shownEdge_; }
    QWidget *positioningView() const { return anchorView_; }
    // The frame around the content: a window of its own, which the anchor's window owns.
    QWidget *frame() const;
    // Whether frames are windows of their own (false where the platform cannot place them).
    static bool framesAreWindows();

    // Tears the popover off into the delegate's detachable window.
    void detach();
    bool isDetachable();

    // Whether the widget belongs to this popover: inside its frame, in a window or
    // popup opened from inside it, or in a popover shown from inside it.
    bool owns(const QWidget *widget) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class PopoverFrame;
    void place();
    void closeInternal();

    PopoverBehavior behavior_ = PopoverBehavior::ApplicationDefined;
    bool animates_ = true;
    PopoverDelegate *delegate_ = nullptr;
    QPointer<ViewController> content_;
    QSize contentSize_{320, 240};
    QPointer<PopoverFrame> frame_;
    QPointer<QWidget> anchorView_;
    QRect anchorRect_;
    RectEdge preferredEdge_ = RectEdge::MaxY;
    RectEdge shownEdge_ = RectEdge::MaxY;
    bool shown_ = false;
};
