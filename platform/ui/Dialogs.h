#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>

class QWidget;

// Ends of modal runs and sheets, with the values the callers compare against.
namespace ModalResponse {
constexpr int Stop = -1000;
constexpr int Abort = -1001;
constexpr int Continue = -1002;
constexpr int OK = 1;
constexpr int Cancel = 0;
} // namespace ModalResponse

// An alert answers the button pressed: the first button 1000, the second 1001, ...
constexpr int AlertFirstButtonReturn = 1000;
constexpr int AlertSecondButtonReturn = 1001;
constexpr int AlertThirdButtonReturn = 1002;

// A failure shown to the user: its description, and advice as the recovery suggestion.
struct PlatformError {
    QString domain;
    int code = 0;
    QString localizedDescription;
    QString recoverySuggestion;
};

struct Alert {
    enum Style { Warning, Informational, Critical };

    QString messageText;
    QString informativeText;
    QStringList buttons; // "OK" when none are added
    Style alertStyle = Warning;

    void addButtonWithTitle(const QString &title) { buttons.append(title); }
    static Alert withError(const PlatformError &error);

    // Application-modal; answers AlertFirstButtonReturn + the button's index.
    int runModal(QWidget *parent = nullptr) const;
    // A sheet on the window; the completion runs once, after the sheet ended.
    void beginSheetModalForWindow(QWidget *window, std::function<void(int)> completion) const;
};

struct OpenPanel {
    QString title;
    QString message;
    QString prompt;
    QStringList allowedContentTypes; // type names such as "public.vcard"
    bool allowsMultipleSelection = false;
    QString directory;
    QWidget *accessoryView = nullptr; // stays the caller's
};

struct SavePanel {
    QString title;
    QString message;
    QString prompt;
    QString nameFieldLabel; // "Export As:"
    QString nameFieldStringValue;
    QStringList allowedContentTypes;
    QString directory;
    QWidget *accessoryView = nullptr;
};

struct PanelResult {
    int response = ModalResponse::Cancel; // OK or Cancel
    QList<QUrl> urls;
    QUrl url() const { return urls.isEmpty() ? QUrl() : urls.first(); }
};

// Every alert, sheet alert, open and save panel goes through the current presenter,
// which tests replace to answer without a real dialog.
class DialogPresenter {
public:
    virtual ~DialogPresenter() = default;
    virtual int runAlert(const Alert &alert, QWidget *parent) = 0;
    virtual void beginAlertSheet(const Alert &alert, QWidget *window,
                                 std::function<void(int)> completion) = 0;
    virtual PanelResult runOpenPanel(const OpenPanel &panel, QWidget *parent) = 0;
    virtual PanelResult runSavePanel(const SavePanel &panel, QWidget *parent) = 0;

    static DialogPresenter &current();
    // nullptr brings back the real dialogs.
    static void setCurrent(DialogPresenter *presenter);

    // Where a file panel opens: the folder the last answered panel was left in, else the
    // suggested one (a panel's `directory`, such as its document's folder), else the home
    // folder; never the process's working folder.
    static QString startingFolder(const QString &suggested);
    static void noteFolderUsed(const PanelResult &result);
};

// Real dialogs: QMessageBox and the non-native QFileDialog with the accessory row.
class WidgetDialogPresenter : public DialogPresenter {
public:
    int runAlert(const Alert &alert, QWidget *parent) override;
    void beginAlertSheet(const Alert &alert, QWidget *window, std::function<void(int)> completion) override;
    PanelResult runOpenPanel(const OpenPanel &panel, QWidget *parent) override;
    PanelResult runSavePanel(const SavePanel &panel, QWidget *parent) override;
};

// Answers dialogs from a script and records what was shown. Installs itself for its
// lifetime (the presenter before it comes back afterwards). A dialog with no scripted
// answer is counted in unansweredCount() and answered with Cancel (its last button, for
// alerts).
class ScriptedDialogPresenter : public DialogPresenter {
public:
    enum class Kind { Alert, AlertSheet, OpenPanel, SavePanel };
    struct Shown {
        Kind kind;
        Alert alert;
        OpenPanel openPanel;
        SavePanel savePanel;
        QPointer<QWidget> window;
    };
    using PanelAnswer = std::function<PanelResult(const OpenPanel *, const SavePanel *)>;

    ScriptedDialogPresenter();
    ~ScriptedDialogPresenter() override;

    // Presses the button with that title in the next alert or sheet alert.
    void answerAlert(const QString &buttonTitle);
    void chooseFiles(const QList<QUrl> &urls);
    void cancelPanel();
    // The answer may work the panel's accessory view before it returns.
    void answerPanel(PanelAnswer answer);

    const QList<Shown> &shown() const { return shown_; }
    int unansweredCount() const { return unanswered_; }

    int runAlert(const Alert &alert, QWidget *parent) override;
    void beginAlertSheet(const Alert &alert, QWidget *window, std::function<void(int)> completion) override;
    PanelResult runOpenPanel(const OpenPanel &panel, QWidget *parent) override;
    PanelResult runSavePanel(const SavePanel &panel, QWidget *parent) override;

private:
    int alertResponse(const Alert &alert);
    PanelResult panelResponse(const OpenPanel *open, const SavePanel *save);

    std::deque<QString> alertAnswers_;
    std::deque<PanelAnswer> panelAnswers_;
    QList<Shown> shown_;
    int unanswered_ = 0;
    DialogPresenter *previous_ = nullptr;
};
