#pragma once

#include "model/ContactContainers.h"
#include "platform/ui/Window.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <memory>

class CustomLabelList;
class QComboBox;
class QPushButton;
class QTableView;

// One rename or removal the custom label panel made in the label vocabularies. The
// document's values that carry the old label are to carry `valueLabel`: the new label, or
// the field's fallback when the label was removed.
struct LabelChange {
    QString identifier;
    QString oldLabel;
    QString valueLabel;

    friend bool operator==(const LabelChange &, const LabelChange &) = default;
};

// One field of one contact as it is after the panel's label changes.
struct RelabeledValues {
    std::shared_ptr<QMPerson> person;
    QString identifier;
    LabeledValueList values;
};

// The sheet in which the user manages the labels added by hand to each labeled field (the
// eight multi-valued fields and every "Labeled Value" custom item). A rename or deletion
// changes the class-wide label lists at once and is kept as a LabelChange; the document's
// contacts follow when the window applies the sheet's answer.
//
// An opener keeps one panel per window and, for each opening, calls setCustomItems,
// setSelectedFont, setContainerTable and setContextInfo, then begins window() as a sheet.
// The sheet ends with 1 when a label was renamed or deleted (by Done or Cancel alike: the
// vocabularies are already changed), else 0. With 1, the window stores relabeledValues()
// into the contacts as one undo step, before it refreshes its tables.
class CustomLabelPanelController : public WindowController {
    Q_OBJECT
public:
    static inline const QString LastSelectedItemKey = QStringLiteral("QM1DlastSelectedItemInCustomPanel");

    explicit CustomLabelPanelController(QObject *parent = nullptr);
    ~CustomLabelPanelController() override;

    // The label contact values get when their label is deleted from the field.
    static QString fallbackLabel(const QString &identifier);
    // What the changes make of the contacts listed in each container's first group (the
    // group holding every contact of the container), one entry per field that changes.
    static QList<RelabeledValues> relabeledValues(const ContainerTable &containers,
                                                  const QList<LabelChange> &changes);

    void setCustomItems(const QList<CustomItemDefinition> &items) { customItems_ = items; }
    void setSelectedFont(const QFont &font);
    void setContainerTable(std::shared_ptr<ContainerTable> containers) {
        containerTable_ = std::move(containers);
    }
    // Prepares an opening: the working lists from the class-wide ones, the field chooser.
    void setContextInfo();

    // The answer.
    bool dirtyFlag() const { return dirtyFlag_; }
    const QList<LabelChange> &labelChanges() const { return labelChanges_; }
    QList<RelabeledValues> relabeledValues() const;

    // The panel's relabelling: renames oldLabel (to newLabel), deletes it (newLabel empty
    // after trimming) or merges it into a label the field already has. False when the
    // vocabularies refused or the new label holds a line break.
    bool setLabel(const QString &oldLabel, const QString &newLabel, const QString &identifier);

    // The field chosen and its working list, as the table shows it.
    QString selectedIdentifier() const;
    QStringList table() const;
    const QHash<QString, QStringList> &customLabelTableDict() const { return customLabelTableDict_; }
    int rowHeight() const { return rowHeight_; }

    QComboBox *itemNamePopup();
    QTableView *tableView();
    QPushButton *doneButton();
    QPushButton *cancelButton();
    QPushButton *addButton();
    QPushButton *deleteButton();

    void popupDidSelect(QObject *sender);
    // Add, Delete, Done; any other button is Cancel.
    void buttonPressed(QObject *sender);
    void textFieldCellChanged(int row, const QString &text);
    void tableViewDoubleClick(int row);
    void tableViewSortDescriptorsDidChange(bool ascending);

    void windowDidLoad() override;
    bool windowShouldClose(Window *window) override;

protected:
    Window *loadWindow() override;

private:
    void initItemPopup(const QStringList &identifiers);
    void showTableOf(const QString &identifier);
    void updateUI();
    void endSheet();
    QStringList &workingList();

    QFont selectedFont_;
    std::shared_ptr<ContainerTable> containerTable_;
    QList<CustomItemDefinition> customItems_;
    QHash<QString, QStringList> customLabelTableDict_;
    QList<LabelChange> labelChanges_;
    bool dirtyFlag_ = false;
    int rowHeight_ = 20;

    CustomLabelList *list_ = nullptr;
    QPointer<QComboBox> itemNamePopup_;
    QPointer<QPushButton> doneButton_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QPushButton> addButton_;
    QPointer<QPushButton> deleteButton_;
};
