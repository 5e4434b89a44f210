#include "tests/platform/ui/UiTestSupport.h"

#include "platform/ui/Menu.h"
#include "platform/ui/Popover.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace {

// An editor in the manner of the field editors: Done writes the answer, then closes.
class Editor : public ViewController {
public:
    QVariantMap contextInfo;
    Popover *popover = nullptr;
    QLineEdit *field = nullptr;
    QComboBox *labels = nullptr;
    QPushButton *done = nullptr;

protected:
    QWidget *loadView() override {
        auto *view = new QWidget;
        auto *layout = new QVBoxLayout(view);
        field = new QLineEdit(view);
        labels = new QComboBox(view);
        labels->addItems({QStringLiteral("home"), QStringLiteral("work"), QStringLiteral("other")});
        done = new QPushButton(QStringLiteral("Done"), view);
        layout->addWidget(field);
        layout->addWidget(labels);
        layout->addWidget(done);
        QObject::connect(done, &QPushButton::clicked, [this] {
            contextInfo[QStringLiteral("dirty")] = true;
            contextInfo[QStringLiteral("value")] = field->text();
            popover->close();
        });
        return view;
    }
};

class Opener : public PopoverDelegate {
public:
    void popoverDidClose(Popover *popover) override {
        auto *editor = static_cast<Editor *>(popover->contentViewController());
        answers.append(editor->contextInfo);
    }
    bool popoverShouldDetach(Popover *) override { return detachable; }
    Window *detachableWindowForPopover(Popover *) override {
        detached = std::make_unique<Window>();
        detached->setWindowTitle(QStringLiteral("No name"));
        return detached.get();
    }
    QList<QVariantMap> answers;
    bool detachable = false;
    std::unique_ptr<Window> detached;
};

struct Scene {
    Scene() {
        window.resize(800, 600);
        table = new QWidget;
        window.setCentralWidget(table);
        popover.setDelegate(&opener);
        popover.setBehavior(PopoverBehavior::Transient);
        editor = new Editor;
        editor->popover = &popover;
        popover.setContentViewController(editor);
        popover.setContentSize(QSize(340, 192));
    }
    // Shown as a user sees it: the popover's window active, so that keys go to it.
    void show(QRect cell = QRect(100, 100, 120, 20), RectEdge edge = RectEdge::MaxY) {
        ASSERT_TRUE(showActive(&window));
        showPopover(cell, edge);
    }
    void showPopover(QRect cell = QRect(100, 100, 120, 20), RectEdge edge = RectEdge::MaxY) {
        popover.showRelativeToRect(cell, table, edge);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == popover.frame(); }));
    }
    Window window;
    QWidget *table;
    Opener opener;
    Popover popover;
    Editor *editor;
};

TEST(Popover, ATransientPopoverClosesOnAnOutsideClickButNotInItsOwnComboPopup) {
    Scene scene;
    scene.show();
    ASSERT_TRUE(scene.popover.isShown());
    EXPECT_TRUE(scene.popover.frame()->isVisible());
    EXPECT_TRUE(scene.editor->field->hasFocus());

    scene.editor->labels->showPopup();
    QAbstractItemView *list = scene.editor->labels->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 1000));
    const QRect second = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 1000));
    EXPECT_EQ(scene.editor->labels->currentText(), QStringLiteral("work"));
    EXPECT_TRUE(scene.popover.isShown());
    QTest::mouseClick(scene.editor->field, Qt::LeftButton);
    EXPECT_TRUE(scene.popover.isShown());
    // Escape in the open combo popup closes the popup only.
    scene.editor->labels->showPopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 1000));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }, 1000));
    EXPECT_TRUE(scene.popover.isShown());
    EXPECT_TRUE(scene.opener.answers.isEmpty());

    scene.editor->field->setText(QStringLiteral("changed"));
    QTest::mouseClick(scene.table, Qt::LeftButton, {}, QPoint(600, 500));
    EXPECT_FALSE(scene.popover.isShown());
    EXPECT_FALSE(scene.popover.frame()->isVisible());
    ASSERT_EQ(scene.opener.answers.size(), 1);
    EXPECT_FALSE(scene.opener.answers[0].contains(QStringLiteral("dirty"))); // nothing to apply
}

TEST(Popover, TheOpenerReadsTheAnswerAfterTheCloseAndEscapeCloses) {
    Scene scene;
    scene.show();
    QTest::keyClicks(scene.editor->field, QStringLiteral("Hanako"));
    QTest::mouseClick(scene.editor->done, Qt::LeftButton);
    ASSERT_EQ(scene.opener.answers.size(), 1);
    EXPECT_EQ(scene.opener.answers[0].value(QStringLiteral("dirty")), QVariant(true));
    EXPECT_EQ(scene.opener.answers[0].value(QStringLiteral("value")), QVariant(QStringLiteral("Hanako")));

    scene.editor->contextInfo.clear();
    scene.showPopover();
    // A field that cancels its own edit with Escape keeps it.
    scene.editor->field->setProperty(Popover::keepsEscapeProperty, true);
    QTest::keyClick(scene.editor->field, Qt::Key_Escape);
    EXPECT_TRUE(scene.popover.isShown());
    scene.editor->field->setProperty(Popover::keepsEscapeProperty, false);
    QTest::keyClick(scene.editor->field, Qt::Key_Escape);
    EXPECT_FALSE(scene.popover.isShown());
    EXPECT_EQ(scene.opener.answers.size(), 2);
}

TEST(Popover, ASemitransientPopoverClosesOnlyOnClicksInItsOwnWindow) {
    Scene scene;
    scene.popover.setBehavior(PopoverBehavior::Semitransient);
    scene.show(QRect(10, 10, 120, 20), RectEdge::MaxX);
    Window other;
    other.resize(300, 200);
    other.show();
    QTest::mouseClick(&other, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_TRUE(scene.popover.isShown());
    QTest::mouseClick(scene.table, Qt::LeftButton, {}, QPoint(700, 550));
    EXPECT_FALSE(scene.popover.isShown());
}

TEST(Popover, ItIsPlacedBesideItsAnchorAndKeptInsideTheArea) {
    const QRect screen(0, 0, 1600, 1000);
    const QSize box(452, 642); // the contact popover's
    constexpr int arrow = 9;
    const struct {
        const char *what;
        QRect anchor;
        QSize box;
        RectEdge preferred;
        RectEdge edge;
        QRect frame;
    } cases[] = {
        {"below, where it fits", {300, 100, 120, 20}, box, RectEdge::MaxY, RectEdge::MaxY, {133, 120, 452, 651}},
        {"flipped above, where below has no room", {300, 700, 120, 20}, box, RectEdge::MaxY, RectEdge::MinY,
         {133, 49, 452, 651}},
        {"beside, to the right", {100, 400, 120, 20}, box, RectEdge::MaxX, RectEdge::MaxX, {220, 88, 461, 642}},
        {"flipped to the left, where the right has no room", {1300, 400, 120, 20}, box, RectEdge::MaxX,
         RectEdge::MinX, {839, 88, 461, 642}},
        {"shifted sideways off the left edge", {0, 100, 60, 20}, box, RectEdge::MaxY, RectEdge::MaxY,
         {0, 120, 452, 651}},
        {"shifted sideways off the right edge", {1560, 100, 40, 20}, box, RectEdge::MaxY, RectEdge::MaxY,
         {1148, 120, 452, 651}},
        {"beside, shifted up from the bottom", {100, 950, 120, 20}, box, RectEdge::MaxX, RectEdge::MaxX,
         {220, 358, 461, 642}},
        {"beside, shifted down from the top", {100, 0, 120, 20}, box, RectEdge::MaxX, RectEdge::MaxX,
         {220, 0, 461, 642}},
        {"shrunk below, where neither side has room and below has more", {300, 450, 120, 20}, box,
         RectEdge::MinY, RectEdge::MaxY, {133, 470, 452, 530}},
        {"shrunk above, where neither side has room and above has more", {300, 500, 120, 20}, box,
         RectEdge::MaxY, RectEdge::MinY, {133, 0, 452, 500}},
        {"shrunk across, wider than the screen", {700, 100, 120, 20}, {2000, 642}, RectEdge::MaxY, RectEdge::MaxY,
         {0, 120, 1600, 651}},
    };
    for (const auto &c : cases) {
        const PopoverPlacement placed = placePopover(c.anchor, c.box, screen, c.preferred, arrow);
        EXPECT_EQ(placed.edge, c.edge) << c.what;
        EXPECT_EQ(placed.frame, c.frame) << c.what;
        EXPECT_TRUE(screen.contains(placed.frame)) << c.what;
        // The arrow points at the anchor's middle.
        const bool vertical = c.edge == RectEdge::MaxY || c.edge == RectEdge::MinY;
        EXPECT_EQ(placed.arrowAt, vertical ? c.anchor.center().x() - placed.frame.x()
                                           : c.anchor.center().y() - placed.frame.y())
            << c.what;
    }
}

// A popover taller than its window is a window of its own, kept on the screen: its window
// cuts nothing off.
TEST(Popover, AWindowDoesNotCutThePopoverOff) {
    if (!Popover::framesAreWindows())
        GTEST_SKIP() << "this platform draws popovers inside their window";
    Scene scene;
    scene.window.resize(500, 300);
    scene.popover.setContentSize(QSize(450, 640));
    const QRect screen = scene.window.screen()->availableGeometry();
    ASSERT_GE(screen.height(), 640 + 40) << "a screen too small to show the whole popover";
    scene.show(QRect(10, 10, 120, 20), RectEdge::MaxX);
    QWidget *frame = scene.popover.frame();
    ASSERT_TRUE(frame->isWindow());
    EXPECT_EQ(frame->parentWidget(), &scene.window);
    EXPECT_GE(frame->height(), 640);
    EXPECT_FALSE(scene.window.frameGeometry().contains(frame->geometry()));
    EXPECT_TRUE(screen.contains(frame->geometry()));
    // Its content is laid out whole: its last control lies inside it.
    const QRect done(scene.editor->done->mapTo(frame, QPoint(0, 0)), scene.editor->done->size());
    EXPECT_TRUE(frame->rect().contains(done));
    // It goes with its window, and away with it.
    const QPoint before = frame->pos();
    scene.window.move(scene.window.pos() + QPoint(30, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->pos(), before + QPoint(30, 0));
    scene.window.hide();
    EXPECT_FALSE(scene.popover.isShown());
    EXPECT_FALSE(frame->isVisible());
}

TEST(Popover, ADetachablePopoverTearsOffIntoTheDelegatesWindow) {
    Scene scene;
    scene.show();
    auto *detach = scene.popover.frame()->findChild<QToolButton *>();
    ASSERT_NE(detach, nullptr);
    EXPECT_FALSE(detach->isVisible()); // not detachable

    scene.popover.close();
    scene.opener.detachable = true;
    scene.popover.setBehavior(PopoverBehavior::Semitransient);
    scene.popover.showRelativeToRect(QRect(10, 10, 120, 20), scene.table, RectEdge::MaxX);
    ASSERT_TRUE(detach->isVisible());
    QTest::mouseClick(detach, Qt::LeftButton);
    EXPECT_FALSE(scene.popover.isShown());
    EXPECT_EQ(scene.opener.answers.size(), 2);
    ASSERT_NE(scene.opener.detached, nullptr);
    EXPECT_TRUE(scene.opener.detached->isVisible());
    EXPECT_EQ(scene.opener.detached->size(), QSize(340, 192));
}

TEST(Popover, AClickInAPopoverOpenedFromInsideItKeepsItOpen) {
    Scene scene;
    scene.show();
    Popover child;
    auto *childEditor = new Editor;
    childEditor->popover = &child;
    child.setContentViewController(childEditor);
    child.setBehavior(PopoverBehavior::Transient);
    child.showRelativeToRect(scene.editor->field->rect(), scene.editor->field, RectEdge::MaxY);
    QTest::mouseClick(childEditor->field, Qt::LeftButton);
    EXPECT_TRUE(scene.popover.isShown());
    EXPECT_TRUE(child.isShown());

    // So does a context menu opened on one of its fields.
    Menu context;
    MenuItem *item = context.addItem(QStringLiteral("Copy"), QStringLiteral("copy:"));
    context.popUpContextMenu(scene.editor->field->mapToGlobal(QPoint(5, 5)), scene.editor->field);
    ASSERT_TRUE(QTest::qWaitFor([&] { return context.isVisible(); }, 1000));
    QTest::mouseClick(&context, Qt::LeftButton, {}, context.actionGeometry(item).center());
    EXPECT_TRUE(scene.popover.isShown());
    context.hide();

    // A dialog opened from inside the popover (a file dialog, say) belongs to it too.
    QDialog dialog(scene.editor->view());
    auto *choose = new QPushButton(QStringLiteral("Choose"), &dialog);
    dialog.show();
    QTest::mouseClick(choose, Qt::LeftButton);
    EXPECT_TRUE(scene.popover.isShown());
    dialog.close();
    QTest::mouseClick(scene.table, Qt::LeftButton, {}, QPoint(700, 550));
    EXPECT_FALSE(scene.popover.isShown());
    EXPECT_FALSE(child.isShown());
}

} // namespace
