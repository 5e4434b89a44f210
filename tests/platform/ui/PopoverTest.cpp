#include "tests/platform/ui/UiTestSupport.h"

#include "platform/ui/Menu.h"
#include "platform/ui/Popover.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
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
    void show(QRect cell = QRect(100, 100, 120, 20), RectEdge edge = RectEdge::MaxY) {
        ASSERT_TRUE(showActive(&window));
        popover.showRelativeToRect(cell, table, edge);
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
    scene.popover.showRelativeToRect(QRect(100, 100, 120, 20), scene.table, RectEdge::MaxY);
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

TEST(Popover, ItSitsBesideTheCellAndFlipsWhenThereIsNoRoom) {
    Scene scene;
    scene.show(QRect(100, 100, 120, 20), RectEdge::MaxY);
    EXPECT_EQ(scene.popover.shownEdge(), RectEdge::MaxY);
    EXPECT_GE(scene.popover.frame()->geometry().top(), 120);

    scene.popover.showRelativeToRect(QRect(100, 560, 120, 20), scene.table, RectEdge::MaxY);
    EXPECT_EQ(scene.popover.shownEdge(), RectEdge::MinY);
    EXPECT_LE(scene.popover.frame()->geometry().bottom(), 560);

    scene.popover.showRelativeToRect(QRect(600, 200, 120, 20), scene.table, RectEdge::MaxX);
    EXPECT_EQ(scene.popover.shownEdge(), RectEdge::MinX);
    EXPECT_LE(scene.popover.frame()->geometry().right(), 600);
    EXPECT_TRUE(scene.window.rect().contains(scene.popover.frame()->geometry()));
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
