#pragma once

#include "editors/DateControls.h"
#include "editors/PopoverEditor.h"

#include <QStringList>

class DatesCellDelegate;
class DatesTableModel;
class QPushButton;
class QTableView;

// Edits every value of a contact's "Dates" field at once: a table of labeled dates, where
// rows are added, deleted, relabelled and redated. Done hands back the whole list; the
// opener stores it as the field's list.
class DatesViewController : public PopoverEditor {
    Q_OBJECT
public:
    static constexpr QSize contentSize{340, 392};
    enum Column { LabelColumn, DateColumn };

    explicit DatesViewController(QObject *parent = nullptr);
    ~DatesViewController() override;

    QTableView *tableView() const { return tableView_; }
    QPushButton *addButton() const { return addButton_; }
    QPushButton *delButton() const { return delButton_; }
    DateControls *dateControls() const { return dateControls_; }
    // The rows: the editor's own copies of the field's values.
    const LabeledValueList &table() const { return table_; }
    const QStringList &labels() const { return labels_; }
    const QStringList &localizedLabels() const { return localizedLabels_; }
    // Shows a date in the date controls and answers its text.
    QString updateUIFromDateComponents(const DateComponents &components);

protected:
    QWidget *makeBody() override;
    void fillFromContext(bool editable) override;
    void showEditState(bool editing) override;
    void didSetContextInfo() override;
    bool writeAnswer(EditorContext &context) override;
    void clearFields() override;

private:
    friend class DatesTableModel;
    friend class DatesCellDelegate;
    void addRow();
    void deleteRows();
    void rowSelected();
    void controlsChanged(const DateComponents &components);
    void cellEdited();
    // A cell edit: a label by its position in the labels, or a typed date.
    bool setLabelOfRow(int row, int labelPosition);
    bool setDateTextOfRow(int row, const QString &text);
    int selectedRow() const;
    void reloadTable();
    void selectRow(int row);

    LabeledValueList table_;
    QStringList labels_;
    QStringList localizedLabels_;
    QString type_;

    DatesTableModel *model_ = nullptr;
    DatesCellDelegate *delegate_ = nullptr;
    QTableView *tableView_ = nullptr;
    QPushButton *addButton_ = nullptr;
    QPushButton *delButton_ = nullptr;
    DateControls *dateControls_ = nullptr;
};
