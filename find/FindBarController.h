#pragma once

#include "platform/ui/ViewController.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QVariantAnimation;
class SegmentedButtons;

// What the find bar reports: the search field's text when the user enters it, and one
// command word for each button.
class FindBarDelegate {
public:
    virtual ~FindBarDelegate() = default;
    virtual void findStringDidChange(const QString &text) = 0;
    virtual void findBarButtonDidPress(const QString &command) = 0;
};

// The command words of findBarButtonDidPress.
namespace FindBarCommand {
inline const QString Done = QStringLiteral("Done");
inline const QString OptionChanged = QStringLiteral("OptionChanged");
inline const QString Next = QStringLiteral("Next");
inline const QString Previous = QStringLiteral("Previous");
inline const QString Replace = QStringLiteral("Replace");
inline const QString ReplaceAll = QStringLiteral("ReplaceAll");
} // namespace FindBarCommand

// The bar's view: a plain strip in the text background colour with a light gray frame.
class FindBarView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The find bar above the document window's panes: a search field, the case option, Previous
// and Next, a replace field with Replace and All, and Done. It only reports what the user
// does to its delegate, the window's main view controller, which searches and replaces.
// It starts hidden and case-insensitive; showing and hiding fade it in and out over a second
// while the panes below give it room or take its place back.
class FindBarController : public ViewController {
    Q_OBJECT
public:
    static constexpr int AnimationMilliseconds = 1000;

    explicit FindBarController(QObject *parent = nullptr);
    ~FindBarController() override;

    // Tests turn the fading off: the bar then shows or hides at the next turn of the event loop.
    static void setAnimationsEnabled(bool on);

    FindBarDelegate *delegate() const { return delegate_; }
    void setDelegate(FindBarDelegate *delegate) { delegate_ = delegate; }

    QLineEdit *searchField();
    QLineEdit *replaceStringField();
    QPushButton *doneButton();
    // Segment 0 is Previous, 1 Next.
    SegmentedButtons *directControl();
    // Segment 0 is Replace, 1 All.
    SegmentedButtons *replaceControl();
    // Item 0 ignores case, item 1 keeps it.
    QComboBox *optionPopup();

    // Whether the bar's view is shown, also while it fades out.
    bool isVisible() const;
    void setVisible(bool visible) { setVisible(visible, nullptr); }
    // The completion runs once the bar has shown or hidden (or another change has taken over).
    void setVisible(bool visible, std::function<void()> completion);
    bool isCaseInsensitive() const { return caseInsensitive_; }
    bool editState() const { return editState_; }
    // Replacing is open only while the window is unlocked.
    void setEditState(bool editState);
    QString replaceString();
    // The search field takes the keys with its text selected: what is typed replaces it.
    void focusSearchField();

    // The controls' actions.
    void buttonPressed(QObject *sender);
    void popupChanged(QObject *sender);
    void textDidEnter(QObject *sender);

    void viewDidLoad() override;

protected:
    QWidget *loadView() override;

private:
    void finishAnimation();

    FindBarDelegate *delegate_ = nullptr;
    QPointer<FindBarView> bar_;
    QPointer<QLineEdit> searchField_;
    QPointer<QLineEdit> replaceStringField_;
    QPointer<QPushButton> doneButton_;
    QPointer<SegmentedButtons> directControl_;
    QPointer<SegmentedButtons> replaceControl_;
    QPointer<QComboBox> optionPopup_;
    bool caseInsensitive_ = true;
    bool editState_ = false;
    // The change under way: where it goes and who waits for its end.
    QPointer<QVariantAnimation> animation_;
    bool targetVisible_ = false;
    std::function<void()> completion_;
    int pendingChange_ = 0;
};
