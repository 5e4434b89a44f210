#include "editors/CustomLabelPanel.h"

#include "editors/CustomLabelList.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Beep.h"
#include "platform/ui/Menu.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The vCard writer quotes labels, so only a line break could break a card.
bool holdsLineBreak(const QString &text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

} // namespace

CustomLabelPanelController::CustomLabelPanelController(QObject *parent)
    : WindowController(parent) {}

CustomLabelPanelController::~CustomLabelPanelController() = default;

QString CustomLabelPanelController::fallbackLabel(const QString &identifier) {
    if (identifier == FieldId::SocialNetwork)
        return CNSocialProfileServiceFacebook;
    if (identifier == FieldId::Relationship)
        return QMPerson::labelFromCNLabel(CNLabelContactRelationFather);
    if (identifier == FieldId::Dates)
        return QMPerson::labelFromCNLabel(CNLabelDateAnniversary);
    return {};
}

QList<RelabeledValues> CustomLabelPanelController::relabeledValues(const ContainerTable &containers,
                                                                   const QList<LabelChange> &changes) {
    QStringList identifiers;
    for (const LabelChange &change : changes)
        if (!identifiers.contains(change.identifier))
            identifiers.append(change.identifier);
    QList<RelabeledValues> result;
    QSet<const QMPerson *> visited;
    for (const ContainerRecord &container : containers) {
        if (container.groups.isEmpty() || !container.groups.first())
            continue;
        for (const ContactEntry &entry : *container.groups.first()->contactTable) {
            if (!entry.person || visited.contains(entry.person.get()))
                continue;
            visited.insert(entry.person.get());
            for (const QString &identifier : identifiers) {
                const LabeledValueList before =
                    entry.person->labeledValueForIdentifier(identifier).value_or(LabeledValueList());
                LabeledValueList after = before;
                // In the order made: a label renamed twice ends with its last name.
                for (const LabelChange &change : changes) {
                    if (change.identifier != identifier)
                        continue;
                    for (LabeledValueRecord &record : after)
                        if (record.label && *record.label == change.oldLabel)
                            record.label = change.valueLabel;
                }
                if (after != before)
                    result.append({entry.person, identifier, after});
            }
        }
    }
    return result;
}

QList<RelabeledValues> CustomLabelPanelController::relabeledValues() const {
    return containerTable_ ? relabeledValues(*containerTable_, labelChanges_) : QList<RelabeledValues>();
}

// ---- Window

Window *CustomLabelPanelController::loadWindow() {
    auto *window = new Window;
    window->setWindowTitle(L("Custom Labels"));
    auto *content = new QWidget;

    itemNamePopup_ = new PopUpButton;
    QObject::connect(itemNamePopup_, &QComboBox::activated, this, [this] { popupDidSelect(itemNamePopup_); });

    list_ = new CustomLabelList(L("Label"), this);
    QObject::connect(list_, &CustomLabelList::cellEdited, this,
                     &CustomLabelPanelController::textFieldCellChanged);
    QObject::connect(list_, &CustomLabelList::doubleClicked, this,
                     &CustomLabelPanelController::tableViewDoubleClick);
    QObject::connect(list_, &CustomLabelList::sortRequested, this,
                     &CustomLabelPanelController::tableViewSortDescriptorsDidChange);
    QObject::connect(list_, &CustomLabelList::selectionChanged, this, [this] { updateUI(); });

    addButton_ = new QPushButton(QStringLiteral("+"));
    deleteButton_ = new QPushButton(QStringLiteral("\u2212"));
    for (QPushButton *button : {addButton_.data(), deleteButton_.data()})
        button->setFixedWidth(32);
    addButton_->setToolTip(L("Add a label"));
    deleteButton_->setToolTip(L("Delete the selected label"));
    cancelButton_ = new QPushButton(L("Cancel"));
    // A click on Cancel must not end a rename by taking the focus: that would commit it.
    cancelButton_->setFocusPolicy(Qt::TabFocus);
    doneButton_ = new QPushButton;
    doneButton_->setDefault(true);
    for (QPushButton *button :
         {addButton_.data(), deleteButton_.data(), cancelButton_.data(), doneButton_.data()})
        QObject::connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });

    auto *chooser = new QHBoxLayout;
    chooser->addWidget(new QLabel(L("Item:")));
    chooser->addWidget(itemNamePopup_, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(addButton_);
    buttons->addWidget(deleteButton_);
    buttons->addStretch();
    buttons->addWidget(cancelButton_);
    buttons->addWidget(doneButton_);
    auto *layout = new QVBoxLayout(content);
    layout->addLayout(chooser);
    layout->addWidget(list_->tableView(), 1);
    layout->addLayout(buttons);
    window->setCentralWidget(content);
    window->resize(360, 420);
    return window;
}

void CustomLabelPanelController::windowDidLoad() {
    window()->setMainMenu(nullptr);
    window()->menuBar()->hide();
    doneButton_->setText(L("Done"));
    deleteButton_->setEnabled(false);
}

bool CustomLabelPanelController::windowShouldClose(Window *) {
    // Closed by the window system: as Cancel, so the window still learns of the changes.
    if (Application::shared().attachedSheet(window()->parentWidget()) == window())
        endSheet();
    return true;
}

QComboBox *CustomLabelPanelController::itemNamePopup() {
    window();
    return itemNamePopup_;
}

QTableView *CustomLabelPanelController::tableView() {
    window();
    return list_->tableView();
}

QPushButton *CustomLabelPanelController::doneButton() {
    window();
    return doneButton_;
}

QPushButton *CustomLabelPanelController::cancelButton() {
    window();
    return cancelButton_;
}

QPushButton *CustomLabelPanelController::addButton() {
    window();
    return addButton_;
}

QPushButton *CustomLabelPanelController::deleteButton() {
    window();
    return deleteButton_;
}

// ---- Opening

void CustomLabelPanelController::setSelectedFont(const QFont &font) {
    window();
    selectedFont_ = font;
    const QFontMetricsF metrics(font);
    const int h = int(std::ceil(metrics.ascent() + metrics.descent() + metrics.leading()));
    rowHeight_ = h < 11 ? 20 : h + 9;
    list_->tableView()->setFont(font);
    list_->setRowHeight(rowHeight_);
    list_->reload();
}

void CustomLabelPanelController::setContextInfo() {
    window();
    customLabelTableDict_.clear();
    labelChanges_.clear();
    QStringList identifiers = QMPerson::labeledIdentifiers();
    for (const CustomItemDefinition &item : customItems_)
        if (item.type == ValueKind::Labeled && !identifiers.contains(item.name))
            identifiers.append(item.name);
    for (const QString &identifier : identifiers)
        customLabelTableDict_.insert(identifier,
                                     QMPerson::customLabelsForIdentifier(identifier).value_or(QStringList()));
    dirtyFlag_ = false;
    initItemPopup(identifiers);
    updateUI();
    doneButton_->setEnabled(true);
}

void CustomLabelPanelController::initItemPopup(const QStringList &identifiers) {
    itemNamePopup_->clear();
    for (const QString &identifier : identifiers)
        itemNamePopup_->addItem(QMPerson::localizedIdentifierForKey(identifier), identifier);
    // A remembered field that is no longer offered (its item was deleted) gives the first.
    const QString last = UserDefaults::standard().stringForKey(LastSelectedItemKey);
    itemNamePopup_->setCurrentIndex(qMax(0, itemNamePopup_->findData(last)));
    showTableOf(selectedIdentifier());
}

QString CustomLabelPanelController::selectedIdentifier() const {
    return itemNamePopup_ ? itemNamePopup_->currentData().toString() : QString();
}

QStringList CustomLabelPanelController::table() const {
    return list_ ? list_->labels() : QStringList();
}

QStringList &CustomLabelPanelController::workingList() {
    return customLabelTableDict_[selectedIdentifier()];
}

void CustomLabelPanelController::showTableOf(const QString &identifier) {
    list_->setLabels(customLabelTableDict_.value(identifier));
}

void CustomLabelPanelController::popupDidSelect(QObject *sender) {
    if (sender != itemNamePopup_)
        return;
    list_->endEditing();
    UserDefaults::standard().setObject(selectedIdentifier(), LastSelectedItemKey);
    workingList(); // made empty when missing
    showTableOf(selectedIdentifier());
    updateUI();
}

// ---- Rows

void CustomLabelPanelController::tableViewDoubleClick(int row) {
    if (row >= 0 && row < list_->labels().size())
        list_->editRow(row);
}

void CustomLabelPanelController::tableViewSortDescriptorsDidChange(bool ascending) {
    list_->sort(ascending);
    workingList() = list_->labels();
}

void CustomLabelPanelController::textFieldCellChanged(int row, const QString &text) {
    if (row < 0 || row >= list_->labels().size())
        return;
    const QString old = list_->labels().at(row);
    if (text == old)
        return;
    if (!setLabel(old, text, selectedIdentifier()))
        beep();
}

bool CustomLabelPanelController::setLabel(const QString &oldLabel, const QString &newLabel,
                                          const QString &identifier) {
    if (oldLabel.isEmpty() || newLabel == oldLabel || holdsLineBreak(newLabel))
        return false;
    const bool removal = newLabel.trimmed().isEmpty();
    const bool merge =
        !removal &&
        (QMPerson::labelsForIdentifier(identifier).value_or(QStringList()).contains(newLabel) ||
         QMPerson::customLabelsForIdentifier(identifier).value_or(QStringList()).contains(newLabel));
    // A label the field already has takes the old one's values, and the old one goes,
    // so no word is listed twice.
    const bool changed = removal || merge ? QMPerson::removeLabel(oldLabel, identifier)
                                          : QMPerson::setLabel(oldLabel, newLabel, identifier);
    if (!changed)
        return false;
    labelChanges_.append({identifier, oldLabel, removal ? fallbackLabel(identifier) : newLabel});
    dirtyFlag_ = true;

    QStringList &working = customLabelTableDict_[identifier];
    const qsizetype position = working.indexOf(oldLabel);
    if (removal || merge) {
        if (position >= 0)
            working.removeAt(position);
    } else if (position >= 0) {
        working[position] = newLabel;
    } else {
        working.append(newLabel);
    }
    if (identifier == selectedIdentifier()) {
        const int row = int(list_->labels().indexOf(oldLabel));
        if (removal || merge)
            list_->removeLabel(row);
        else
            list_->setLabel(row, newLabel);
    }
    updateUI();
    return true;
}

void CustomLabelPanelController::updateUI() {
    if (!deleteButton_)
        return;
    deleteButton_->setEnabled(list_->selectedRow() >= 0 && !list_->labels().isEmpty());
}

// ---- Buttons

void CustomLabelPanelController::buttonPressed(QObject *sender) {
    if (!sender)
        return;
    const QString identifier = selectedIdentifier();
    if (sender == addButton_) {
        list_->endEditing();
        // Free in the field's whole vocabulary, so the new row is a registered label.
        const QString name = CustomLabelList::newLabelName(
            list_->labels() + QMPerson::labelsForIdentifier(identifier).value_or(QStringList()));
        const int selected = list_->selectedRow();
        const int row = selected >= 0 ? selected : int(list_->labels().size());
        list_->insertLabel(row, name);
        workingList() = list_->labels();
        list_->selectRow(row);
        list_->editRow(row);
        QMPerson::setLabel(QString(), name, identifier);
        updateUI();
    } else if (sender == deleteButton_) {
        list_->endEditing();
        const int row = list_->selectedRow();
        if (row >= 0)
            setLabel(list_->labels().at(row), QString(), identifier);
        updateUI();
    } else {
        // A rename still being typed counts for Done; Cancel drops it.
        if (sender == doneButton_)
            list_->endEditing();
        else
            list_->cancelEditing();
        endSheet();
        close();
    }
}

void CustomLabelPanelController::endSheet() {
    // Renames and deletions are made when they are typed, so Cancel reports them too.
    const int code = dirtyFlag_ ? 1 : 0;
    doneButton_->setEnabled(false);
    Application::shared().endSheet(window(), code);
}
