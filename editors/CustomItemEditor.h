#pragma once

#include "model/PersonRecords.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ViewController.h"

#include <QImage>
#include <QPointer>
#include <QSize>
#include <QStringList>

#include <optional>

class CustomLabelList;
class Popover;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The custom items panel's editor of one item, shown in a popover: a new item's name,
// type, labels and icon, or an existing "Labeled Value" item's labels and icon (an item is
// never renamed here). It edits its own copy of the item; the panel takes the copy back
// when the popover closes, and only after Done (answer()).
class AddItemViewController : public ViewController, public MenuDelegate {
    Q_OBJECT
public:
    static constexpr QSize contentSize{360, 260};
    static constexpr double rowHeight = 24.0;
    static inline const QString DefaultIcon = QStringLiteral(":/icons/icon_cube2.png");

    explicit AddItemViewController(QObject *parent = nullptr);
    ~AddItemViewController() override;

    // Whether a new item may take the name: not empty after trimming, not used by another
    // item (in any case), no field's name, nothing a vCard line name cannot hold, and
    // read back as this very item from the X- line the vCard writer makes of it.
    static bool acceptsItemName(const QString &name, const QStringList &usedNames);
    // An icon's stored form: PNG of the picture, its longer side at most 512.
    static QByteArray iconData(const QImage &image);

    Popover *popover() const { return popover_; }
    void setPopover(Popover *popover) { popover_ = popover; }
    // Names of the panel's items, refused for a new item.
    void setUsedNames(const QStringList &names) { usedNames_ = names; }
    // An existing item (its copy) and its row in the panel, or none for a new item. Call it
    // after the popover is shown.
    void setContextInfo(const std::optional<CustomItemDefinition> &item, int row = -1);
    // The edited copy ("isNew" for a new item; "changed" after Done), and its row.
    const std::optional<CustomItemDefinition> &contextInfo() const { return contextInfo_; }
    int row() const { return row_; }
    // The item when Done closed the popover; none after Cancel or a click elsewhere.
    std::optional<CustomItemDefinition> answer() const;
    const QStringList &table() const;

    QLabel *imageView();
    QLineEdit *nameField();
    QComboBox *typePopup();
    QFrame *redSeparator();
    QTableView *tableView();
    QPushButton *addButton();
    QPushButton *deleteButton();
    QPushButton *doneButton();
    QPushButton *cancelButton();

    // Label Add, label Delete, Done, Cancel.
    void buttonPressed(QObject *sender);
    void popupChanged(QObject *sender);
    void textFieldCellChanged(int row, const QString &text);
    void tableViewDoubleClick(int row);
    void tableViewSortDescriptorsDidChange(bool ascending);
    void menuNeedsUpdate(Menu *menu) override;
    void addImage();
    void deleteImage();
    // A picture dropped on the image view.
    void imageDidChanged(const QImage &image);

protected:
    QWidget *loadView() override;

private:
    void done();
    void closePopover();
    void showIcon();
    void setIcon(const QImage &image);
    void updateLabelButtons();

    QPointer<Popover> popover_;
    std::optional<CustomItemDefinition> contextInfo_;
    int row_ = -1;
    bool adding_ = false; // no item given: a new one, named here
    bool answered_ = false;
    QStringList usedNames_;

    CustomLabelList *list_ = nullptr;
    QPointer<QLabel> imageView_;
    QPointer<QLineEdit> nameField_;
    QPointer<QComboBox> typePopup_;
    QPointer<QFrame> redSeparator_;
    QPointer<QPushButton> addButton_;
    QPointer<QPushButton> deleteButton_;
    QPointer<QPushButton> doneButton_;
    QPointer<QPushButton> cancelButton_;
};

// The custom items panel's help, in a popover: what custom items are, told for a vCard
// document or for a window without a file.
class HelpViewController : public ViewController {
    Q_OBJECT
public:
    static constexpr QSize contentSize{360, 260};

    explicit HelpViewController(QObject *parent = nullptr);

    Popover *popover() const { return popover_; }
    void setPopover(Popover *popover) { popover_ = popover; }
    bool isVCard() const { return isVCard_; }
    // The text follows at once: a CSV window turns into a vCard one when it is edited.
    void setIsVCard(bool isVCard);
    static QString helpText(bool isVCard);

    QLabel *textField();
    QPushButton *doneButton();
    void buttonDidPress();

protected:
    QWidget *loadView() override;

private:
    QPointer<Popover> popover_;
    bool isVCard_ = false;
    QPointer<QLabel> textField_;
    QPointer<QPushButton> doneButton_;
};
