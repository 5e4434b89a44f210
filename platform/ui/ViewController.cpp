#include "platform/ui/ViewController.h"

#include "platform/ui/Document.h"
#include "platform/ui/Window.h"

#include <QEvent>
#include <QSplitter>
#include <QVariantAnimation>

namespace {
const char *const kControllerProperty = "tessarinViewController";
bool animationsEnabled = true;
} // namespace

ViewController::ViewController(QObject *parent)
    : QObject(parent) {}

ViewController::~ViewController() {
    if (auto *parentController = parentViewController())
        parentController->children_.removeAll(this);
    for (ViewController *child : children_)
        if (child->parent() != this)
            child->setParent(nullptr);
    if (view_) {
        view_->removeEventFilter(this);
        view_->setProperty(kControllerProperty, QVariant());
        delete view_.data();
    }
}

QWidget *ViewController::view() {
    if (!view_) {
        view_ = loadView();
        view_->setProperty(kControllerProperty, QVariant::fromValue(static_cast<QObject *>(this)));
        view_->installEventFilter(this);
        viewDidLoad();
    }
    return view_;
}

QWidget *ViewController::loadView() {
    return new QWidget;
}

ViewController *ViewController::parentViewController() const {
    return qobject_cast<ViewController *>(parent());
}

void ViewController::addChildViewController(ViewController *child) {
    if (children_.contains(child))
        return;
    child->setParent(this);
    children_.append(child);
}

void ViewController::removeChildViewController(ViewController *child) {
    children_.removeAll(child);
    if (child->parent() == this)
        child->setParent(nullptr);
}

Window *ViewController::window() const {
    return view_ ? qobject_cast<Window *>(view_->window()) : nullptr;
}

WindowController *ViewController::windowController() const {
    Window *w = window();
    return w ? w->windowController() : nullptr;
}

UndoManager *ViewController::undoManager() const {
    WindowController *controller = windowController();
    Document *document = controller ? controller->document() : nullptr;
    return document ? document->undoManager() : nullptr;
}

ViewController *ViewController::controllerOfView(const QWidget *view) {
    if (!view)
        return nullptr;
    return qobject_cast<ViewController *>(view->property(kControllerProperty).value<QObject *>());
}

bool ViewController::eventFilter(QObject *watched, QEvent *event) {
    if (watched == view_ && !event->spontaneous()) {
        if (event->type() == QEvent::Show)
            viewWillAppear();
        else if (event->type() == QEvent::Hide)
            viewWillDisappear();
    }
    return QObject::eventFilter(watched, event);
}

void SplitViewItem::setCollapsed(bool collapsed, bool animated) {
    if (collapsed == collapsed_ || (collapsed && !canCollapse_))
        return;
    collapsed_ = collapsed;
    if (owner_)
        owner_->applyCollapse(this, animated);
}

void SplitViewItem::setMinimumThickness(int thickness) {
    minimum_ = thickness;
    if (owner_)
        owner_->applyLimits(this);
}

void SplitViewItem::setMaximumThickness(int thickness) {
    maximum_ = thickness;
    if (owner_)
        owner_->applyLimits(this);
}

SplitViewController::SplitViewController(Qt::Orientation orientation, QObject *parent)
    : ViewController(parent)
    , orientation_(orientation) {}

SplitViewController::~SplitViewController() {
    if (animation_)
        animation_->stop();
}

void SplitViewController::setAnimationsEnabled(bool on) {
    animationsEnabled = on;
}

QWidget *SplitViewController::loadView() {
    auto *splitter = new QSplitter(orientation_);
    splitter->setChildrenCollapsible(false);
    connect(splitter, &QSplitter::splitterMoved, this, [this, splitter] {
        // A pane dragged to nothing counts as collapsed, as the user sees it.
        const QList<int> sizes = splitter->sizes();
        for (size_t i = 0; i < items_.size(); ++i) {
            SplitViewItem *item = items_[i].get();
            if (!item->collapsed_ && sizes.value(static_cast<int>(i)) == 0 && item->canCollapse_) {
                item->collapsed_ = true;
                emit itemCollapsedChanged(item);
            }
        }
    });
    return splitter;
}

QSplitter *SplitViewController::splitView() {
    return static_cast<QSplitter *>(view());
}

SplitViewItem *SplitViewController::addSplitViewItem(ViewController *controller) {
    auto item = std::make_unique<SplitViewItem>();
    item->owner_ = this;
    item->viewController_ = controller;
    addChildViewController(controller);
    splitView()->addWidget(controller->view());
    splitView()->setCollapsible(splitView()->count() - 1, true);
    items_.push_back(std::move(item));
    return items_.back().get();
}

QList<SplitViewItem *> SplitViewController::splitViewItems() const {
    QList<SplitViewItem *> list;
    for (const auto &item : items_)
        list.append(item.get());
    return list;
}

SplitViewItem *SplitViewController::splitViewItemForViewController(const ViewController *controller) const {
    for (const auto &item : items_)
        if (item->viewController_ == controller)
            return item.get();
    return nullptr;
}

int SplitViewController::indexOf(const SplitViewItem *item) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

void SplitViewController::applyLimits(SplitViewItem *item) {
    QWidget *pane = item->viewController_->view();
    if (orientation_ == Qt::Horizontal) {
        pane->setMinimumWidth(item->minimum_);
        pane->setMaximumWidth(item->maximum_);
    } else {
        pane->setMinimumHeight(item->minimum_);
        pane->setMaximumHeight(item->maximum_);
    }
}

void SplitViewController::applyCollapse(SplitViewItem *item, bool animated) {
    QSplitter *splitter = splitView();
    const int index = indexOf(item);
    QWidget *pane = item->viewController_->view();
    if (animation_) // the running change finishes at once
        animation_->setCurrentTime(animation_->totalDuration());
    QList<int> sizes = splitter->sizes();
    const int current = sizes.value(index);
    int target = 0;
    if (item->collapsed_) {
        if (current > 0)
            item->lastThickness_ = current;
    } else {
        target = item->lastThickness_ > 0 ? item->lastThickness_ : qMax(item->minimum_, 200);
        target = qMin(target, item->maximum_);
        pane->show();
    }
    auto finish = [this, item, pane, index, target] {
        if (item->collapsed_) {
            pane->hide();
        } else {
            QList<int> final = splitView()->sizes();
            const int grow = target - final.value(index);
            final[index] = target;
            // Take the room from the widest other pane.
            int widest = -1;
            for (int i = 0; i < final.size(); ++i)
                if (i != index && (widest < 0 || final[i] > final[widest]))
                    widest = i;
            if (widest >= 0)
                final[widest] = qMax(0, final[widest] - grow);
            splitView()->setSizes(final);
        }
        emit itemCollapsedChanged(item);
    };
    if (!animated || !animationsEnabled || !splitter->isVisible()) {
        finish();
        return;
    }
    pane->setMinimumSize(0, 0);
    auto *animation = new QVariantAnimation(this);
    animation->setDuration(200);
    animation->setStartValue(item->collapsed_ ? current : 0);
    animation->setEndValue(target);
    connect(animation, &QVariantAnimation::valueChanged, this, [this, index](const QVariant &value) {
        QList<int> step = splitView()->sizes();
        step[index] = value.toInt();
        splitView()->setSizes(step);
    });
    connect(animation, &QVariantAnimation::finished, this, [this, item, finish] {
        applyLimits(item);
        finish();
    });
    animation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
