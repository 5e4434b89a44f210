#include "editors/CustomItemEditor.h"

#include "editors/CustomLabelList.h"
#include "editors/PhotoScaling.h"
#include "editors/PictureChoice.h"
#include "model/QMPerson.h"
#include "model/QMvCard.h"
#include "platform/core/Localization.h"
#include "platform/ui/Beep.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Popover.h"

#include <QBuffer>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kIconSide = 56;

// The item's picture: takes dropped images and offers Add, Replace and Delete Image.
class IconWell : public QLabel {
public:
    explicit IconWell(AddItemViewController *editor)
        : editor_(editor) {
        setAcceptDrops(true);
        setFixedSize(kIconSide + 8, kIconSide + 8);
        setAlignment(Qt::AlignCenter);
        setFrameShape(QFrame::StyledPanel);
        setContextMenuPolicy(Qt::CustomContextMenu);
        menu_ = new Menu(QString(), this);
        menu_->setDelegate(editor);
        connect(this, &QWidget::customContextMenuRequested, this,
                [this](const QPoint &at) { menu_->popUpContextMenu(mapToGlobal(at), this); });
    }
    Menu *menu() const { return menu_; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override {
        if (!droppedImage(event->mimeData()).isNull())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override {
        const QImage image = droppedImage(event->mimeData());
        if (image.isNull())
            return;
        event->acceptProposedAction();
        editor_->imageDidChanged(image);
    }

private:
    static QImage droppedImage(const QMimeData *data) {
        const Pasteboard pasteboard(data);
        QImage image = pasteboard.image();
        for (const QUrl &url : pasteboard.fileURLs()) {
            if (!image.isNull())
                break;
            QImageReader reader(url.toLocalFile());
            reader.setAutoTransform(true);
            image = reader.read();
        }
        return image;
    }

    AddItemViewController *editor_;
    Menu *menu_;
};

// A vCard line name ends at ":" or ";", and "." makes the part before it a group name.
bool holdsLineNameBreaker(const QString &name) {
    for (const QChar c : name)
        if (c == u'\r' || c == u'\n' || c == u':' || c == u';' || c == u'.')
            return true;
    return false;
}

// Whether an item of this name comes back from its own X- line: the reader keeps some
// X- names for itself (X-ABLabel, X-MAIDENNAME, X-AIM...) and would take the values away.
bool readsBackAsItem(const QString &name) {
    QMPerson probe;
    if (!probe.addCustomItem(ValueKind::String, name, std::nullopt, std::nullopt))
        return false;
    const QString value = QStringLiteral("1");
    probe.setValueForCustomIdentifier(value, name, 0);
    const QMvCard converter;
    const QString text = converter.vCardFromPerson(probe, {VCardOption::Custom}, {}, probe.customItems());
    const auto containers = converter.containersFromVCards(text);
    if (!containers || containers->isEmpty() || containers->first().groups.isEmpty())
        return false;
    const ContactTable &contacts = *containers->first().groups.first()->contactTable;
    if (contacts.size() != 1 || !contacts.first().person)
        return false;
    QMPerson &read = *contacts.first().person;
    return read.customIdentifiers() == QStringList{name} && read.stringValueForIdentifier(name) == value;
}

bool holdsLineBreak(const QString &text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

} // namespace

// ---- Item editor

AddItemViewController::AddItemViewController(QObject *parent)
    : ViewController(parent) {
    registerAction(QStringLiteral("addImage:"), [this](QObject *) { addImage(); });
    registerAction(QStringLiteral("deleteImage:"), [this](QObject *) { deleteImage(); });
}

AddItemViewController::~AddItemViewController() = default;

bool AddItemViewController::acceptsItemName(const QString &name, const QStringList &usedNames) {
    if (name.trimmed().isEmpty() || name != name.trimmed() || holdsLineNameBreaker(name))
        return false;
    if (usedNames.contains(name, Qt::CaseInsensitive) || QMPerson::isReservedIdentifier(name))
        return false;
    return readsBackAsItem(name);
}

QByteArray AddItemViewController::iconData(const QImage &image) {
    if (image.isNull())
        return {};
    const QImage icon = PhotoScaling::scaledToLimit(image);
    if (icon.isNull())
        return {};
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    icon.save(&buffer, "PNG");
    return png;
}

QWidget *AddItemViewController::loadView() {
    auto *view = new QWidget;
    view->resize(contentSize);

    imageView_ = new IconWell(this);
    nameField_ = new QLineEdit;
    nameField_->setPlaceholderText(L("New"));
    typePopup_ = new PopUpButton;
    // The stored names: they are what a file and the panel's table show.
    typePopup_->addItems({ValueKind::String, ValueKind::Labeled});
    connect(typePopup_, &QComboBox::activated, this, [this] { popupChanged(typePopup_); });
    connect(nameField_, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (!text.trimmed().isEmpty())
            doneButton_->setEnabled(true);
    });

    redSeparator_ = new QFrame;
    redSeparator_->setFixedHeight(2);
    redSeparator_->setAutoFillBackground(true);
    QPalette red = redSeparator_->palette();
    red.setColor(QPalette::Window, Qt::red);
    redSeparator_->setPalette(red);

    list_ = new CustomLabelList(L("Label"), this);
    list_->setRowHeight(int(rowHeight));
    connect(list_, &CustomLabelList::cellEdited, this, &AddItemViewController::textFieldCellChanged);
    connect(list_, &CustomLabelList::doubleClicked, this, &AddItemViewController::tableViewDoubleClick);
    connect(list_, &CustomLabelList::sortRequested, this,
            &AddItemViewController::tableViewSortDescriptorsDidChange);
    connect(list_, &CustomLabelList::selectionChanged, this, [this] { updateLabelButtons(); });

    addButton_ = new QPushButton(QStringLiteral("+"));
    deleteButton_ = new QPushButton(QStringLiteral("\u2212"));
    addButton_->setToolTip(L("Add a label"));
    deleteButton_->setToolTip(L("Delete the selected label"));
    cancelButton_ = new QPushButton(L("Cancel"));
    doneButton_ = new QPushButton(L("Add"));
    doneButton_->setDefault(true);
    for (QPushButton *button :
         {addButton_.data(), deleteButton_.data(), cancelButton_.data(), doneButton_.data()})
        connect(button, &QPushButton::clicked, this, [this, button] { buttonPressed(button); });

    auto *form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(L("Name:"), nameField_);
    form->addRow(L("Type:"), typePopup_);
    auto *top = new QHBoxLayout;
    top->addWidget(imageView_, 0, Qt::AlignTop);
    top->addLayout(form, 1);
    auto *labelButtons = new QVBoxLayout;
    for (QPushButton *button : {addButton_.data(), deleteButton_.data()}) {
        button->setFixedWidth(32);
        labelButtons->addWidget(button);
    }
    labelButtons->addStretch();
    auto *labels = new QHBoxLayout;
    labels->addWidget(list_->tableView(), 1);
    labels->addLayout(labelButtons);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cancelButton_);
    bottom->addWidget(doneButton_);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(top);
    layout->addWidget(redSeparator_);
    layout->addLayout(labels, 1);
    layout->addLayout(bottom);
    return view;
}

QLabel *AddItemViewController::imageView() {
    view();
    return imageView_;
}

QLineEdit *AddItemViewController::nameField() {
    view();
    return nameField_;
}

QComboBox *AddItemViewController::typePopup() {
    view();
    return typePopup_;
}

QFrame *AddItemViewController::redSeparator() {
    view();
    return redSeparator_;
}

QTableView *AddItemViewController::tableView() {
    view();
    return list_->tableView();
}

QPushButton *AddItemViewController::addButton() {
    view();
    return addButton_;
}

QPushButton *AddItemViewController::deleteButton() {
    view();
    return deleteButton_;
}

QPushButton *AddItemViewController::doneButton() {
    view();
    return doneButton_;
}

QPushButton *AddItemViewController::cancelButton() {
    view();
    return cancelButton_;
}

const QStringList &AddItemViewController::table() const {
    static const QStringList none;
    return list_ ? list_->labels() : none;
}

std::optional<CustomItemDefinition> AddItemViewController::answer() const {
    return answered_ ? contextInfo_ : std::nullopt;
}

void AddItemViewController::setContextInfo(const std::optional<CustomItemDefinition> &item, int row) {
    view();
    answered_ = false;
    adding_ = !item;
    row_ = item ? row : -1;
    if (item) {
        contextInfo_ = item;
        contextInfo_->changed = false;
        nameField_->setText(item->name);
        nameField_->setEnabled(false);
        doneButton_->setText(L("Change"));
    } else {
        CustomItemDefinition fresh;
        fresh.type = ValueKind::String;
        fresh.isNew = true;
        contextInfo_ = fresh;
        nameField_->clear();
        nameField_->setEnabled(true);
        nameField_->setFocus();
        doneButton_->setText(L("Add"));
    }
    typePopup_->setCurrentText(contextInfo_->type);
    typePopup_->setEnabled(!item);
    doneButton_->setEnabled(false);
    showIcon();
    list_->setLabels(contextInfo_->type == ValueKind::Labeled ? contextInfo_->labels : QStringList());
    updateLabelButtons();
}

void AddItemViewController::updateLabelButtons() {
    const bool labeled = contextInfo_ && contextInfo_->type == ValueKind::Labeled;
    addButton_->setEnabled(labeled);
    deleteButton_->setEnabled(labeled && !list_->labels().isEmpty());
    list_->tableView()->setEnabled(labeled);
}

void AddItemViewController::popupChanged(QObject *sender) {
    if (sender != typePopup_ || !contextInfo_)
        return;
    contextInfo_->type = typePopup_->currentText();
    updateLabelButtons();
    if (contextInfo_->type != ValueKind::Labeled || !list_->labels().isEmpty())
        doneButton_->setEnabled(true);
}

void AddItemViewController::textFieldCellChanged(int row, const QString &text) {
    if (row < 0 || row >= list_->labels().size() || text.isEmpty())
        return;
    // The writer quotes labels, so only a line break is refused.
    if (holdsLineBreak(text)) {
        beep();
        return;
    }
    list_->setLabel(row, text);
    doneButton_->setEnabled(true);
}

void AddItemViewController::tableViewDoubleClick(int row) {
    if (row >= 0 && row < list_->labels().size())
        list_->editRow(row);
}

void AddItemViewController::tableViewSortDescriptorsDidChange(bool ascending) {
    list_->sort(ascending);
}

void AddItemViewController::buttonPressed(QObject *sender) {
    if (!sender || !contextInfo_)
        return;
    if (sender == addButton_) {
        list_->endEditing();
        const int selected = list_->selectedRow();
        const int row = selected >= 0 ? selected : int(list_->labels().size());
        list_->insertLabel(row, CustomLabelList::newLabelName(list_->labels()));
        list_->selectRow(row);
        list_->editRow(row);
        doneButton_->setEnabled(true);
        contextInfo_->changed = true;
        updateLabelButtons();
    } else if (sender == deleteButton_) {
        list_->endEditing();
        const int row = list_->selectedRow();
        if (row >= 0) {
            list_->removeLabel(row);
            contextInfo_->changed = true;
            doneButton_->setEnabled(true);
        }
        updateLabelButtons();
    } else if (sender == doneButton_) {
        done();
    } else if (sender == cancelButton_) {
        contextInfo_->isNew = false;
        contextInfo_->changed = false;
        closePopover();
    }
}

void AddItemViewController::done() {
    list_->endEditing();
    CustomItemDefinition &item = *contextInfo_;
    // An item added earlier in this opening still carries "isNew", but has its name already.
    if (adding_) {
        const QString name = nameField_->text().trimmed();
        if (!acceptsItemName(name, usedNames_)) {
            beep();
            return;
        }
        item.name = name;
    }
    if (item.type == ValueKind::Labeled) {
        if (list_->labels().isEmpty()) {
            beep();
            return;
        }
        item.labels = list_->labels();
    }
    item.changed = true;
    answered_ = true;
    closePopover();
}

void AddItemViewController::closePopover() {
    if (popover_)
        popover_->close();
}

// ---- Icon

void AddItemViewController::showIcon() {
    QImage image;
    if (contextInfo_ && !contextInfo_->imageData.isEmpty())
        image = QImage::fromData(contextInfo_->imageData);
    if (image.isNull())
        image = QImage(DefaultIcon);
    imageView_->setPixmap(QPixmap::fromImage(
        image.scaled(kIconSide, kIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void AddItemViewController::setIcon(const QImage &image) {
    if (!contextInfo_)
        return;
    const QByteArray data = iconData(image);
    if (data.isEmpty())
        return;
    contextInfo_->imageData = data;
    showIcon();
    doneButton_->setEnabled(true);
}

void AddItemViewController::menuNeedsUpdate(Menu *menu) {
    menu->removeAllItems();
    PictureChoice::fillImageMenu(menu, contextInfo_ && !contextInfo_->imageData.isEmpty(), this);
}

void AddItemViewController::addImage() {
    const QImage image = PictureChoice::choosePicture(view());
    if (!image.isNull())
        setIcon(image);
}

void AddItemViewController::imageDidChanged(const QImage &image) {
    setIcon(image);
}

void AddItemViewController::deleteImage() {
    if (!contextInfo_)
        return;
    contextInfo_->imageData.clear();
    showIcon();
    doneButton_->setEnabled(true);
}

// ---- Help

HelpViewController::HelpViewController(QObject *parent)
    : ViewController(parent) {}

QString HelpViewController::helpText(bool isVCard) {
    const QString items = L("Custom items are fields of your own, such as \u201cHobby\u201d or \u201cMember "
                            "ID\u201d. A String Value item holds one text per contact. A Labeled Value item "
                            "holds a list of texts, each with one of the item\u2019s labels, as a phone list "
                            "does.");
    if (isVCard)
        return items + QStringLiteral("\n\n") +
               L("In the vCard file each item is an X- line named after it (X-Hobby), so it comes back when "
                 "the file is opened again, here or in another program that keeps X- lines. Export writes "
                 "the items of the selected contacts.");
    return items + QStringLiteral("\n\n") +
           L("These contacts come from no file: their items are written only when you export the contacts "
             "to a vCard file.");
}

QWidget *HelpViewController::loadView() {
    auto *view = new QWidget;
    view->resize(contentSize);
    textField_ = new QLabel;
    textField_->setWordWrap(true);
    textField_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textField_->setText(helpText(isVCard_));
    doneButton_ = new QPushButton(L("Done"));
    doneButton_->setDefault(true);
    connect(doneButton_, &QPushButton::clicked, this, [this] { buttonDidPress(); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(doneButton_);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(14, 12, 14, 10);
    layout->addWidget(textField_, 1);
    layout->addLayout(buttons);
    return view;
}

void HelpViewController::setIsVCard(bool isVCard) {
    isVCard_ = isVCard;
    if (textField_)
        textField_->setText(helpText(isVCard));
}

QLabel *HelpViewController::textField() {
    view();
    return textField_;
}

QPushButton *HelpViewController::doneButton() {
    view();
    return doneButton_;
}

void HelpViewController::buttonDidPress() {
    if (popover_)
        popover_->close();
}
