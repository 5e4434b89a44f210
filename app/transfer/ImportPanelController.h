#pragma once

#include "model/ContactContainers.h"
#include "platform/ui/Window.h"

#include <QAbstractTableModel>
#include <QImage>
#include <QPointer>

class ContactInfoController;
class QLabel;
class QPushButton;
class QTableView;

namespace tessarin {

class ImportPanelController;

// The name table's rows, answered by the controller.
class ImportNameTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ImportNameTableModel(ImportPanelController *controller);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    void reload();

private:
    ImportPanelController *controller_;
};

// The import selection sheet: the file's name, one row per contact read, a read-only
// preview of the contact in the first selected row, Cancel (0) and Select (1).
class ImportPanelController : public ::WindowController {
    Q_OBJECT
public:
    static constexpr int SelectResponse = 1;
    static constexpr int CancelResponse = 0;
    static inline const QString NameColumn = QStringLiteral("Name");

    // A name cell: the contact's name beside the guest picture.
    struct NameCell {
        QString text;
        QImage image;
    };

    explicit ImportPanelController(QObject *parent = nullptr);
    ~ImportPanelController() override;

    QLabel *importFilename();
    QTableView *nameTableView();
    QPushButton *cancelButton();
    QPushButton *selectButton();
    ContactInfoController *contactInfoController();

    const ContactTable &nameTable() const { return nameTable_; }
    void setNameTable(const ContactTable &table);
    QString filename() const { return filename_; }
    void setFilename(const QString &name) { filename_ = name; }
    double rowHeight() const { return rowHeight_; }

    // The selected rows, ascending.
    QList<int> selectedIndexes() const;
    void buttonPressed(QObject *sender);

    // The name table's data source and delegate.
    int numberOfRowsInTableView(QTableView *table) const;
    // Previews the contact of the first proposed row; the proposal stands as it is.
    QList<int> tableView(QTableView *table, const QList<int> &proposedSelection);
    std::optional<NameCell> tableView(QTableView *table, const QString &column, int row) const;
    bool tableViewShouldEdit(QTableView *table, const QString &column, int row) const;
    double tableViewHeightOfRow(QTableView *table, int row) const;

    void windowDidLoad() override;

protected:
    Window *loadWindow() override;

private:
    friend class ImportNameTableModel; // asks about the table while the window is being made
    void selectionDidChange();

    QPointer<QLabel> importFilename_;
    QPointer<QTableView> nameTableView_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QPushButton> selectButton_;
    ContactInfoController *contactInfoController_ = nullptr;
    ImportNameTableModel *model_ = nullptr;
    ContactTable nameTable_;
    QString filename_;
    double rowHeight_ = 20.0;
};

} // namespace tessarin
