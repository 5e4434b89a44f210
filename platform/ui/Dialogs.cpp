#include "platform/ui/Dialogs.h"

#include "platform/core/Dispatch.h"
#include "platform/core/Localization.h"
#include "platform/ui/Application.h"
#include "platform/ui/ContentTypes.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {

DialogPresenter *installed = nullptr;

QStringList buttonsOf(const Alert &alert) {
    return alert.buttons.isEmpty() ? QStringList{L("OK")} : alert.buttons;
}

// Builds the message box; the buttons keep the alert's order, the first is the default.
QMessageBox *makeMessageBox(const Alert &alert, QWidget *parent, QList<QAbstractButton *> &buttons) {
    auto *box = new QMessageBox(parent);
    box->setWindowTitle(QApplication::applicationName());
    box->setText(alert.messageText);
    box->setInformativeText(alert.informativeText);
    box->setIcon(alert.alertStyle == Alert::Critical        ? QMessageBox::Critical
                 : alert.alertStyle == Alert::Informational ? QMessageBox::Information
                                                            : QMessageBox::Warning);
    const QStringList titles = buttonsOf(alert);
    for (int i = 0; i < titles.size(); ++i) {
        const bool isCancel = titles[i] == L("Cancel");
        QPushButton *button = box->addButton(
            titles[i], i == 0 ? QMessageBox::AcceptRole
                              : (isCancel ? QMessageBox::RejectRole : QMessageBox::ActionRole));
        buttons.append(button);
        if (i == 0)
            box->setDefaultButton(button);
        if (isCancel)
            box->setEscapeButton(button);
    }
    return box;
}

int responseOf(QMessageBox *box, const QList<QAbstractButton *> &buttons) {
    const qsizetype index = buttons.indexOf(box->clickedButton());
    // Closed without a button: the escape button, else the last one.
    const qsizetype fallback = buttons.indexOf(box->escapeButton());
    return AlertFirstButtonReturn +
           static_cast<int>(index >= 0 ? index : (fallback >= 0 ? fallback : buttons.size() - 1));
}

// The non-native dialog, with the caller's accessory view as a row under the file list.
PanelResult runFileDialog(QFileDialog &dialog, QWidget *accessory) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (accessory) {
        if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
            grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());
        accessory->show();
    }
    PanelResult result;
    if (dialog.exec() == QDialog::Accepted) {
        result.response = ModalResponse::OK;
        result.urls = dialog.selectedUrls();
    }
    if (accessory) {
        accessory->hide();
        accessory->setParent(nullptr);
    }
    return result;
}

} // namespace

Alert Alert::withError(const PlatformError &error) {
    Alert alert;
    alert.messageText = error.localizedDescription;
    alert.informativeText = error.recoverySuggestion;
    alert.alertStyle = Critical;
    return alert;
}

int Alert::runModal(QWidget *parent) const {
    return DialogPresenter::current().runAlert(*this, parent);
}

void Alert::beginSheetModalForWindow(QWidget *window, std::function<void(int)> completion) const {
    DialogPresenter::current().beginAlertSheet(*this, window, std::move(completion));
}

DialogPresenter &DialogPresenter::current() {
    static WidgetDialogPresenter widgets;
    return installed ? *installed : widgets;
}

void DialogPresenter::setCurrent(DialogPresenter *presenter) {
    installed = presenter;
}

int WidgetDialogPresenter::runAlert(const Alert &alert, QWidget *parent) {
    QList<QAbstractButton *> buttons;
    QMessageBox *box = makeMessageBox(alert, parent, buttons);
    box->setWindowModality(Qt::ApplicationModal);
    box->exec();
    const int response = responseOf(box, buttons);
    delete box;
    return response;
}

void WidgetDialogPresenter::beginAlertSheet(const Alert &alert, QWidget *window,
                                            std::function<void(int)> completion) {
    QList<QAbstractButton *> buttons;
    QMessageBox *box = makeMessageBox(alert, window, buttons);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, completion = std::move(completion)] {
        const int response = responseOf(box, buttons);
        box->deleteLater();
        if (completion)
            completion(response);
    });
    box->open(); // window-modal on its parent
}

namespace {
QString lastFolderUsed;
} // namespace

QString DialogPresenter::startingFolder(const QString &suggested) {
    if (!lastFolderUsed.isEmpty())
        return lastFolderUsed;
    return suggested.isEmpty() ? QDir::homePath() : suggested;
}

void DialogPresenter::noteFolderUsed(const PanelResult &result) {
    if (result.response == ModalResponse::OK && result.url().isLocalFile())
        lastFolderUsed = QFileInfo(result.url().toLocalFile()).absolutePath();
}

PanelResult WidgetDialogPresenter::runOpenPanel(const OpenPanel &panel, QWidget *parent) {
    QFileDialog dialog(parent, panel.title, startingFolder(panel.directory));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(panel.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                     : QFileDialog::ExistingFile);
    if (!panel.allowedContentTypes.isEmpty())
        dialog.setNameFilters(ContentTypes::nameFiltersForTypes(panel.allowedContentTypes));
    if (!panel.prompt.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, panel.prompt);
    const PanelResult result = runFileDialog(dialog, panel.accessoryView);
    noteFolderUsed(result);
    return result;
}

PanelResult WidgetDialogPresenter::runSavePanel(const SavePanel &panel, QWidget *parent) {
    QFileDialog dialog(parent, panel.title, startingFolder(panel.directory));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!panel.allowedContentTypes.isEmpty()) {
        dialog.setNameFilters(ContentTypes::nameFiltersForTypes(panel.allowedContentTypes));
        dialog.setDefaultSuffix(ContentTypes::suffixesForType(panel.allowedContentTypes.first()).value(0));
    }
    if (!panel.nameFieldLabel.isEmpty())
        dialog.setLabelText(QFileDialog::FileName, panel.nameFieldLabel);
    if (!panel.prompt.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, panel.prompt);
    if (!panel.nameFieldStringValue.isEmpty())
        dialog.selectFile(panel.nameFieldStringValue);
    const PanelResult result = runFileDialog(dialog, panel.accessoryView);
    noteFolderUsed(result);
    return result;
}

ScriptedDialogPresenter::ScriptedDialogPresenter()
    : previous_(installed) {
    DialogPresenter::setCurrent(this);
}

ScriptedDialogPresenter::~ScriptedDialogPresenter() {
    if (installed == this)
        DialogPresenter::setCurrent(previous_);
}

void ScriptedDialogPresenter::answerAlert(const QString &buttonTitle) {
    alertAnswers_.push_back(buttonTitle);
}

void ScriptedDialogPresenter::chooseFiles(const QList<QUrl> &urls) {
    panelAnswers_.push_back([urls](const OpenPanel *, const SavePanel *) {
        return PanelResult{ModalResponse::OK, urls};
    });
}

void ScriptedDialogPresenter::cancelPanel() {
    panelAnswers_.push_back([](const OpenPanel *, const SavePanel *) { return PanelResult{}; });
}

void ScriptedDialogPresenter::answerPanel(PanelAnswer answer) {
    panelAnswers_.push_back(std::move(answer));
}

int ScriptedDialogPresenter::alertResponse(const Alert &alert) {
    const QStringList titles = buttonsOf(alert);
    if (alertAnswers_.empty()) {
        ++unanswered_;
        return AlertFirstButtonReturn + static_cast<int>(titles.size()) - 1;
    }
    const QString answer = alertAnswers_.front();
    alertAnswers_.pop_front();
    const qsizetype index = titles.indexOf(answer);
    if (index < 0) {
        ++unanswered_;
        return AlertFirstButtonReturn + static_cast<int>(titles.size()) - 1;
    }
    return AlertFirstButtonReturn + static_cast<int>(index);
}

int ScriptedDialogPresenter::runAlert(const Alert &alert, QWidget *parent) {
    shown_.append({Kind::Alert, alert, {}, {}, parent});
    return alertResponse(alert);
}

void ScriptedDialogPresenter::beginAlertSheet(const Alert &alert, QWidget *window,
                                              std::function<void(int)> completion) {
    shown_.append({Kind::AlertSheet, alert, {}, {}, window});
    const int response = alertResponse(alert);
    // Like a real sheet, the completion runs after the caller has returned.
    Dispatch::main([completion = std::move(completion), response] {
        if (completion)
            completion(response);
    });
}

PanelResult ScriptedDialogPresenter::panelResponse(const OpenPanel *open, const SavePanel *save) {
    if (panelAnswers_.empty()) {
        ++unanswered_;
        return PanelResult{};
    }
    PanelAnswer answer = std::move(panelAnswers_.front());
    panelAnswers_.pop_front();
    return answer(open, save);
}

PanelResult ScriptedDialogPresenter::runOpenPanel(const OpenPanel &panel, QWidget *parent) {
    shown_.append({Kind::OpenPanel, {}, panel, {}, parent});
    return panelResponse(&panel, nullptr);
}

PanelResult ScriptedDialogPresenter::runSavePanel(const SavePanel &panel, QWidget *parent) {
    shown_.append({Kind::SavePanel, {}, {}, panel, parent});
    return panelResponse(nullptr, &panel);
}
