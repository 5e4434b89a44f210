#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>
#include <utility>

class CustomLabelListModel;
class CustomLabelListDelegate;
class QTableView;
class QWidget;

// The one-column table of label words that the custom label panel and the custom item
// editor share. Rows are edited in place; an edit is only proposed (cellEdited) and the
// owner decides whether the word changes. A click on the header sorts the words in the
// user's language, keeping the selected word selected.
class CustomLabelList : public QObject {
    Q_OBJECT
public:
    CustomLabelList(const QString &columnTitle, QObject *parent = nullptr);
    ~CustomLabelList() override;

    // The first of "new", "new1", "new2"... that `taken` lacks.
    static QString newLabelName(const QStringList &taken);

    QTableView *tableView() const;
    const QStringList &labels() const { return labels_; }
    // Shows other words; the selection goes.
    void setLabels(const QStringList &labels);
    void setLabel(int row, const QString &label);
    void insertLabel(int row, const QString &label);
    void removeLabel(int row);
    void setRowHeight(int height);

    // The row selected, or -1.
    int selectedRow() const;
    void selectRow(int row);
    // Opens the row's text for typing, all of it selected.
    void editRow(int row);
    // Commits a row being typed, as leaving the field would.
    void endEditing();
    // Closes a row being typed, dropping its text.
    void cancelEditing();
    // Redraws the rows, keeping the selected row selected where it still exists.
    void reload();
    void sort(bool ascending);

signals:
    // The user finished typing a row's text; the row keeps its word unless the owner sets it.
    void cellEdited(int row, const QString &text);
    void selectionChanged();
    void doubleClicked(int row);
    void sortRequested(bool ascending);

private:
    friend class CustomLabelListModel;
    friend class CustomLabelTableView;
    void flushEdit();

    std::optional<std::pair<int, QString>> pendingEdit_;
    QStringList labels_;
    QPointer<QTableView> tableView_; // in the owner's layout, or deleted with the list
    CustomLabelListModel *model_ = nullptr;
    CustomLabelListDelegate *delegate_ = nullptr;
};
