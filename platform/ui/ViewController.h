#pragma once

#include "platform/ui/Responder.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>

class QSplitter;
class QVariantAnimation;
class UndoManager;
class Window;
class WindowController;

// Owns one view, loaded on first use. The appearance calls follow the view being shown
// and hidden by its container (window, split view, popover).
class ViewController : public QObject, public Responder {
    Q_OBJECT
public:
    explicit ViewController(QObject *parent = nullptr);
    ~ViewController() override;

    QWidget *view();
    bool isViewLoaded() const { return view_ != nullptr; }

    QVariant representedObject() const { return representedObject_; }
    virtual void setRepresentedObject(const QVariant &object) { representedObject_ = object; }

    ViewController *parentViewController() const;
    QList<ViewController *> childViewControllers() const { return children_; }
    void addChildViewController(ViewController *child);
    void removeChildViewController(ViewController *child);

    // The window showing the view, its controller, and that controller's document's undo manager.
    Window *window() const;
    WindowController *windowController() const;
    UndoManager *undoManager() const;

    static ViewController *controllerOfView(const QWidget *view);

    virtual void viewDidLoad() {}
    virtual void viewWillAppear() {}
    virtual void viewWillDisappear() {}

protected:
    // Builds the view; the default is an empty widget.
    virtual QWidget *loadView();
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> view_;
    QVariant representedObject_;
    QList<ViewController *> children_;
};

class SplitViewController;

// One pane of a split view: its controller, thickness limits and collapsed state.
class SplitViewItem {
public:
    ViewController *viewController() const { return viewController_; }
    bool isCollapsed() const { return collapsed_; }
    void setCollapsed(bool collapsed, bool animated = false);
    bool canCollapse() const { return canCollapse_; }
    void setCanCollapse(bool on) { canCollapse_ = on; }
    int minimumThickness() const { return minimum_; }
    void setMinimumThickness(int thickness);
    int maximumThickness() const { return maximum_; }
    void setMaximumThickness(int thickness);

private:
    friend class SplitViewController;
    SplitViewController *owner_ = nullptr;
    ViewController *viewController_ = nullptr;
    bool collapsed_ = false;
    bool canCollapse_ = true;
    int minimum_ = 0;
    int maximum_ = QWIDGETSIZE_MAX;
    int lastThickness_ = 0;
};

// Panes side by side over a QSplitter. Collapsing hides a pane and remembers its
// thickness; expanding gives it back, optionally animated.
class SplitViewController : public ViewController {
    Q_OBJECT
public:
    explicit SplitViewController(Qt::Orientation orientation = Qt::Horizontal, QObject *parent = nullptr);
    ~SplitViewController() override;

    SplitViewItem *addSplitViewItem(ViewController *controller);
    QList<SplitViewItem *> splitViewItems() const;
    SplitViewItem *splitViewItemForViewController(const ViewController *controller) const;
    QSplitter *splitView();

    // Tests and users who turned animations off get immediate collapses.
    static void setAnimationsEnabled(bool on);

signals:
    void itemCollapsedChanged(SplitViewItem *item);

protected:
    QWidget *loadView() override;

private:
    friend class SplitViewItem;
    void applyCollapse(SplitViewItem *item, bool animated);
    void applyLimits(SplitViewItem *item);
    int indexOf(const SplitViewItem *item) const;

    Qt::Orientation orientation_;
    std::vector<std::unique_ptr<SplitViewItem>> items_;
    QPointer<QVariantAnimation> animation_;
};
