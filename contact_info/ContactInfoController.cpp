#include "contact_info/ContactInfoController.h"

#include "contact_info/FieldIcons.h"
#include "editors/PopupAndTextCellWidget.h"
#include "platform/core/Localization.h"
#include "platform/core/Resources.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/ListRowHeight.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Window.h"
#include "state/ActionIds.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QHeaderView>
#include <QPainter>
#include <QRegularExpression>
#include <QStackedWidget>

#include <cmath>

namespace {

QString localized(const QString &english) {
    return L(english.toUtf8().constData());
}

// Lines of a value for its row's height: every newline character breaks, CR LF once (as it
// is drawn: a note read from a Windows file must not get a blank line's height per line).
int lineCount(const QString &text) {
    static const QRegularExpression newline(
        QStringLiteral("\\r\\n|[\\n\\r\\x{2028}\\x{2029}\\x{85}\\x{0B}\\x{0C}]"));
    const auto pieces = text.split(newline).size();
    return pieces >= 2 ? int(pieces) : 1;
}

bool isNameRow(const QString &type) {
    return type == FieldId::Name || type == FieldId::PhoneticName;
}

} // namespace

// ---- ContactInfoTableModel

ContactInfoTableModel::ContactInfoTableModel(ContactInfoController *controller)
    : QAbstractTableModel(controller)
    , controller_(controller) {}

void ContactInfoTableModel::reset(const std::function<void()> &rebuild) {
    beginResetModel();
    rebuild();
    endResetModel();
}

int ContactInfoTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(controller_->table().size());
}

int ContactInfoTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant ContactInfoTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (index.column() == TypeColumn) {
        if (role == Qt::DisplayRole)
            return controller_->typeCellText(index.row());
        if (role == Qt::DecorationRole) {
            const QImage image = controller_->typeCellImage(index.row());
            return image.isNull() ? QVariant() : QVariant(image);
        }
        if (role == Qt::TextAlignmentRole)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    }
    const auto content = controller_->textCellContent(index.row());
    if (!content)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return content->text;
    case PlaceholderRole:
        return content->placeholder;
    case HighlightsRole:
        return QVariant::fromValue(content->highlights);
    default:
        return {};
    }
}

QVariant ContactInfoTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section == TypeColumn ? QStringLiteral("Type") : QStringLiteral("Value");
    return {};
}

Qt::ItemFlags ContactInfoTableModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// ---- ContactInfoTextCell

void ContactInfoTextCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
    QStyleOptionViewItem base(option);
    initStyleOption(&base, index);
    base.text.clear();
    QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &base, painter, option.widget);
    const QString text = index.data(Qt::DisplayRole).toString();
    const bool empty = text.isEmpty();
    const QString shown = empty ? index.data(ContactInfoTableModel::PlaceholderRole).toString() : text;
    if (shown.isEmpty())
        return;
    const TextHighlights highlights =
        empty ? TextHighlights() : index.data(ContactInfoTableModel::HighlightsRole).value<TextHighlights>();
    const bool selected = option.state & QStyle::State_Selected;
    const QColor colour = empty ? option.palette.color(QPalette::PlaceholderText)
                                : option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    // The text block sits in the middle of the row, however many lines the row has room for.
    const QFontMetricsF metrics(option.font);
    const int lines = int(shown.count(QLatin1Char('\n'))) + 1;
    const int height = int(std::ceil(lines * metrics.lineSpacing())) + 4;
    QRect rect = option.rect.adjusted(4, 0, -4, 0);
    rect.setTop(option.rect.top() + std::max(0, (option.rect.height() - height) / 2));
    paintHighlightedText(painter, rect, shown, option.font, highlights, colour);
}

// ---- ContactCardView

ContactCardView::ContactCardView(QWidget *parent)
    : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // The card is black on white whatever the desktop theme.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    setPalette(palette);
}

void ContactCardView::showPage(const ContactCardPage &page) {
    images_ = page.images;
    document()->clear();
    setHtml(page.html);
}

QVariant ContactCardView::loadResource(int type, const QUrl &name) {
    if (type != QTextDocument::ImageResource)
        return {};
    const QString key = name.toString();
    const auto found = images_.constFind(key);
    if (found != images_.constEnd())
        return *found;
    // Bundle pictures by bare name; never a file or anything remote.
    if (!key.contains(QLatin1Char('/')) && !key.contains(QLatin1Char(':'))) {
        const QString path = ContactCard::IconFolder + key;
        if (QFile::exists(path))
            return QImage(path);
    }
    return {};
}

// ---- ContactInfoController

ContactInfoController::ContactInfoController(QObject *parent)
    : ViewController(parent)
    , model_(new ContactInfoTableModel(this))
    , settings_(SharedSettings::shared()) {
    setWindowState(new WindowState(this));
    registerCommands();
}

void ContactInfoController::setWindowState(WindowState *state) {
    disconnect(fontConnection_);
    windowState_ = state;
    fontConnection_ =
        connect(state, &WindowState::selectedFontChanged, this, &ContactInfoController::setSelectedFont);
}

ContactInfoController::~ContactInfoController() = default;

QWidget *ContactInfoController::loadView() {
    stack_ = new QStackedWidget;
    tableView_ = new QTableView;
    tableView_->setObjectName(QStringLiteral("ContactInfoTable"));
    tableView_->setModel(model_);
    tableView_->setItemDelegateForColumn(ContactInfoTableModel::ValueColumn,
                                         new ContactInfoTextCell(tableView_));
    tableView_->horizontalHeader()->hide();
    tableView_->verticalHeader()->hide();
    tableView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableView_->horizontalHeader()->setSectionResizeMode(ContactInfoTableModel::TypeColumn,
                                                         QHeaderView::ResizeToContents);
    tableView_->horizontalHeader()->setStretchLastSection(true);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setShowGrid(false);
    tableView_->setIconSize(QSize(16, 16));
    tableView_->setWordWrap(false);
    connect(tableView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!reloading_)
            tableViewSelectionDidChange();
    });
    // Clicks, double clicks and the context menu of the table and of its cells' widgets.
    tableView_->viewport()->installEventFilter(this);
    tableMenu_ = new Menu(QString(), tableView_);
    tableMenu_->addItem(L("Test"));
    tableMenu_->setDelegate(this);
    // Row drags and drops, a picture for the Photo row among them.
    installRowDragAndDrop();
    webView_ = new ContactCardView;
    webView_->setObjectName(QStringLiteral("ContactCard"));
    stack_->addWidget(tableView_);
    stack_->addWidget(webView_);
    return stack_;
}

bool ContactInfoController::eventFilter(QObject *watched, QEvent *event) {
    if (watchCellEvent(watched, event))
        return true;
    return ViewController::eventFilter(watched, event);
}

bool ContactInfoController::validateMenuItem(MenuItem *item) {
    return respondsToAction(item->action()) && ViewController::validateMenuItem(item);
}

QTableView *ContactInfoController::tableView() {
    view();
    return tableView_;
}

ContactCardView *ContactInfoController::webView() {
    view();
    return webView_;
}

void ContactInfoController::showCard(bool card) {
    view();
    stack_->setCurrentWidget(card ? static_cast<QWidget *>(webView_) : tableView_);
}

void ContactInfoController::viewDidLoad() {
    rowHeight_ = 20.0;
    iconRowCount_ = 3;
    applyStoredFont();
}

void ContactInfoController::applyStoredFont() {
    const QString name = UserDefaults::standard().stringForKey(FontNameKey);
    QFont font = QApplication::font();
    if (name.isEmpty() || name == QLatin1String(".AppleSystemUIFont")) {
        font.setPointSizeF(12);
    } else {
        // A font that is not installed leaves the system family at the stored size.
        if (QFontDatabase::hasFamily(name))
            font.setFamily(name);
        font.setPointSizeF(std::max(UserDefaults::standard().doubleForKey(FontSizeKey), 7.0));
    }
    setSelectedFont(font);
}

void ContactInfoController::viewWillAppear() {
    // Until the first fill, the card shows the bare template.
    ContactCardPage page;
    page.html = QString::fromUtf8(Resources::read(cardTemplatePath_));
    webView_->showPage(page);
}

void ContactInfoController::setContact(const ContactEntry *contact) {
    if (!contact)
        return;
    contact_ = *contact;
    updateTable();
}

QList<int> ContactInfoController::selectedRows() const {
    QList<int> rows;
    if (!tableView_)
        return rows;
    for (const QModelIndex &index : tableView_->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ContactInfoController::selectRows(const QList<int> &rows) {
    QItemSelection selection;
    for (int row : rows)
        selection.select(model_->index(row, 0), model_->index(row, 1));
    tableView_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.isEmpty()) {
        tableView_->selectionModel()->setCurrentIndex(model_->index(rows.first(), 0),
                                                      QItemSelectionModel::NoUpdate);
        tableView_->scrollTo(model_->index(rows.first(), 0));
    }
}

void ContactInfoController::reselect(const QList<int> &before, const QList<int> &rows) {
    reloading_ = true;
    selectRows(rows);
    reloading_ = false;
    // As with a user's selection, a changed selection is reported; the same rows again are not.
    if (rows != before)
        tableViewSelectionDidChange();
}

void ContactInfoController::reloadData() {
    view();
    // The rows are made again under an open edit: its text is kept, as when it loses the focus.
    endCellEdit(true, false);
    reloading_ = true;
    model_->reset([this] { numberOfRowsInTableView(); });
    for (int row = 0; row < table_.size(); ++row) {
        tableView_->verticalHeader()->resizeSection(row, int(tableViewHeightOfRow(row)));
        if (QWidget *cell = makeValueCellWidget(row)) {
            tableView_->setIndexWidget(model_->index(row, ContactInfoTableModel::ValueColumn), cell);
            // A cell's own widgets report their clicks as the table (drops: the row drag's).
            cell->installEventFilter(this);
            for (QWidget *child : cell->findChildren<QWidget *>())
                child->installEventFilter(this);
        }
    }
    reloading_ = false;
}

void ContactInfoController::reloadKeepingSelection(bool firstRowWhenLost) {
    const QList<int> remembered = selectedRows();
    reloadData();
    QList<int> rows;
    for (int row : remembered) {
        if (row < table_.size())
            rows.append(row);
    }
    if (firstRowWhenLost && (remembered.isEmpty() || remembered.first() >= table_.size()) && !table_.isEmpty())
        rows = {0};
    reselect(remembered, rows);
}

void ContactInfoController::updateTable() {
    if (contact_)
        reloadKeepingSelection(true);
}

void ContactInfoController::setSelectedFont(const QFont &font) {
    selectedFont_ = font;
    rowHeight_ = listRowHeight(font);
    if (tableView_)
        tableView_->setFont(font);
    if (contact_)
        reloadKeepingSelection(false);
}

void ContactInfoController::sendContactDidUpdate() {
    if (Window *window = this->window())
        window->setDocumentEdited(true);
    if (delegate_ && contact_)
        delegate_->contactDidUpdate(*contact_, this);
}

void ContactInfoController::selectItemAndRange(const FindTarget &target) {
    if (!contact_)
        return;
    if (target.contact && target.contact->uniqueId() != contact_->uniqueId) {
        ContactEntry entry;
        entry.person = target.contact;
        entry.uniqueId = target.contact->uniqueId();
        setContact(&entry);
    }
    windowState_->setFindTarget(target);
    const QList<int> remembered = selectedRows();
    const QString shownId = contact_->person ? contact_->person->uniqueId() : contact_->uniqueId;
    reloadData();
    std::optional<int> found;
    if (target.uniqueId != shownId) {
        found = 0;
    } else {
        static const QStringList labeled = {
            FieldId::Phone,         FieldId::Email,          FieldId::Address,      FieldId::URL,
            FieldId::SocialNetwork, FieldId::InstantMessage, FieldId::Relationship, FieldId::Dates};
        for (int row = 0; row < table_.size() && !found; ++row) {
            const InfoTableRow &info = table_.at(row);
            if (info.type != target.identifier)
                continue;
            if (isNameRow(target.identifier)
                    ? info.label == target.subIdentifier
                    : !labeled.contains(target.identifier) || info.labelIndex == target.labelIndex)
                found = row;
        }
    }
    // A match whose field has no row selects nothing.
    reselect(remembered, found && *found < table_.size() ? QList<int>{*found} : QList<int>{});
}

void ContactInfoController::updateWebView() {
    view();
    const QMPerson *person = contact_ ? contact_->person.get() : nullptr;
    const auto page =
        ContactCard::makeContactHTML(contact_ ? &*contact_ : nullptr, cardTemplatePath_,
                                     person ? photoPicture(*person, ContactCard::PhotoSide) : QImage());
    if (page)
        webView_->showPage(*page);
}

int ContactInfoController::numberOfRowsInTableView() {
    table_ = contact_ ? rows_.tableFromContact(&*contact_, selectedLabels(), customItems())
                            .value_or(QList<InfoTableRow>())
                      : QList<InfoTableRow>();
    return int(table_.size());
}

QString ContactInfoController::kindOfRow(const InfoTableRow &row) const {
    if (!contact_ || !contact_->person)
        return {};
    return contact_->person->typeForIdentifier(row.type, customItems());
}

double ContactInfoController::tableViewHeightOfRow(int row) {
    const double height = std::max(rowHeight_, 20.0);
    if (row < 0 || row >= table_.size())
        return height;
    InfoTableRow &info = table_[row];
    int lines = 1;
    QMPerson *person = contact_ && contact_->person ? contact_->person.get() : nullptr;
    if (info.type == FieldId::Photo) {
        lines = int(iconRowCount_);
    } else if (!isNameRow(info.type) && info.type != FieldId::NameOrdering && info.type != FieldId::Groups &&
               person) {
        const QString kind = kindOfRow(info);
        if (kind == ValueKind::Labeled) {
            const auto value =
                person->labeledValueForIdentifier(info.type, LabelIndex(info.labelIndex.value_or(0)));
            lines = lineCount(value ? value->stringValue : QString());
        } else if (kind == ValueKind::String) {
            lines = lineCount(person->stringValueForIdentifier(info.type));
        }
    }
    info.numLines = lines;
    return lines < 2 ? height : lines * height + 2.0;
}

bool ContactInfoController::tableViewShouldEditTableColumn(const QString &column, int row) const {
    static const QStringList popoverTypes = {FieldId::InstantMessage, FieldId::Address,
                                             FieldId::Dates,          FieldId::Birthday,
                                             FieldId::NameOrdering,   FieldId::NameDisplay};
    if (column == QLatin1String("Type") || column == QLatin1String("Label") || row < 0 ||
        row >= table_.size())
        return false;
    return !popoverTypes.contains(table_.at(row).type);
}

void ContactInfoController::tableViewSelectionDidChange() {
    const QList<int> rows = selectedRows();
    if (rows.isEmpty() || !delegate_)
        return;
    delegate_->rowSelectionDidChange(this, table_.at(rows.first()));
}

QString ContactInfoController::typeCellText(int row) const {
    if (row < 0 || row >= table_.size())
        return {};
    const QString text = QMPerson::localizedIdentifierForKey(table_.at(row).type);
    if (row > 0 && QMPerson::localizedIdentifierForKey(table_.at(row - 1).type) == text)
        return {};
    return text;
}

QImage ContactInfoController::typeCellImage(int row) const {
    if (typeCellText(row).isEmpty())
        return {};
    const QString &type = table_.at(row).type;
    return fieldIcon(type,
                     contact_ && contact_->person ? contact_->person->customItemForIdentifier(type) : std::nullopt,
                     customItems());
}

std::optional<ContactInfoController::TextCellContent> ContactInfoController::textCellContent(int row) {
    if (row < 0 || row >= table_.size() || !contact_ || !contact_->person)
        return std::nullopt;
    const InfoTableRow &info = table_.at(row);
    QMPerson &person = *contact_->person;
    TextCellContent content;
    if (info.type == FieldId::Name) {
        NameRecord name = person.nameValue();
        const QString *part = name.part(info.label.value_or(QString()));
        content.text = part ? *part : QString();
        content.placeholder = QMPerson::localizedIdentifierForKey(info.label.value_or(QString()));
    } else if (info.type == FieldId::PhoneticName) {
        auto phonetic = person.phoneticNameValue();
        const QString *part = phonetic ? phonetic->part(info.label.value_or(QString())) : nullptr;
        content.text = part ? *part : QString();
        content.placeholder = QMPerson::localizedIdentifierForKey(info.label.value_or(QString()));
    } else if (info.type == FieldId::Groups) {
        content.text = contact_->groupNames.join(QStringLiteral(", "));
    } else if (info.type == FieldId::Birthday) {
        const auto birthday = person.birthdayValue();
        content.text = birthday ? birthday->stringValue : QString();
    } else if (kindOfRow(info) == ValueKind::String) {
        content.text = person.stringValueForIdentifier(info.type);
    } else {
        return std::nullopt;
    }
    std::optional<TextRange> current;
    const std::optional<FindTarget> &target = findTarget();
    if (target && target->identifier == info.type && info.type != FieldId::Groups &&
        (!isNameRow(info.type) || target->subIdentifier == info.label))
        current = target->range;
    content.highlights = findHighlights(content.text, findString(), findOptions(), current);
    return content;
}

QWidget *ContactInfoController::valueCellWidget(int row) const {
    return tableView_ ? tableView_->indexWidget(model_->index(row, ContactInfoTableModel::ValueColumn))
                      : nullptr;
}

QImage ContactInfoController::photoPicture(const QMPerson &person, int side) {
    const QByteArray data = person.photoData();
    if (data.isEmpty())
        return {};
    // One decode serves the photo row and the card (a locked window reloads both), at the
    // larger of their sizes; the other is scaled down from it.
    if (data.constData() != decodedPhoto_.data.constData() || data.size() != decodedPhoto_.data.size() ||
        side > decodedPhoto_.side) {
        const int decodedSide = std::max(side, ContactCard::PhotoSide);
        decodedPhoto_ = {data, decodedSide, QMPerson::decodePhoto(data, QSize(decodedSide, decodedSide))};
    }
    const QImage &image = decodedPhoto_.image;
    if (image.width() <= side && image.height() <= side)
        return image;
    return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QWidget *ContactInfoController::makeValueCellWidget(int row) {
    if (!contact_ || !contact_->person)
        return nullptr;
    const InfoTableRow &info = table_.at(row);
    QMPerson &person = *contact_->person;
    const auto choose = [this, row](int index) { popupButtonCellChanged(row, index); };

    if (info.type == FieldId::Photo)
        return makePhotoCellWidget(row);
    if (info.type == FieldId::NameOrdering || info.type == FieldId::NameDisplay) {
        auto *popup = new PopUpButton;
        popup->setObjectName(QStringLiteral("PopupCell"));
        popup->setFont(selectedFont_);
        const NameRecord name = person.nameValue();
        if (info.type == FieldId::NameOrdering) {
            for (const QString &label : rows_.nameOrderingLabels())
                popup->addItem(localized(label));
            popup->setCurrentIndex(name.nameOrdering == 1 ? 1 : name.nameOrdering == 2 ? 2 : 0);
            popup->setToolTip(L("Sorry, change will not be saved due to the lack of system service."));
            popup->setEnabled(false);
        } else {
            for (const QString &label :
                 QMPerson::labelsForIdentifier(FieldId::ShowAsPerson).value_or(QStringList()))
                popup->addItem(localized(label));
            popup->setCurrentIndex(name.showAsPerson.value_or(person.showAsPerson()) ? 0 : 1);
            popup->setEnabled(editState());
            connect(popup, &QComboBox::activated, this, choose);
        }
        return popup;
    }
    // In the popover a row that no cell shows (a custom item no longer defined) gets an
    // empty label cell.
    const QString kind = kindOfRow(info);
    if (kind != ValueKind::Labeled && (!popoverCells_ || textCellContent(row)))
        return nullptr;
    auto *widget = new PopupAndTextCellWidget;
    widget->setObjectName(QStringLiteral("PopupAndTextCell"));
    PopupAndTextCell &cell = widget->cell();
    cell.setType(info.type);
    cell.setFindString(findString());
    cell.setFindOptions(findOptions());
    cell.setPerson(contact_->person);
    if (findTarget() && findTarget()->identifier == info.type)
        cell.setFindTarget(findTarget());
    cell.setSelectedFont(selectedFont_);
    cell.setLabels(QMPerson::labelsForIdentifier(info.type).value_or(QStringList()));
    cell.setLocalizedLabels(QMPerson::localizedLabelsForIdentifier(info.type).value_or(QStringList()));
    cell.setCustomLabels(QMPerson::customLabelsForIdentifier(info.type).value_or(QStringList()));
    if (info.index && kind == ValueKind::Labeled)
        cell.setLabeledValue(person.labeledValueForIdentifier(info.type, *info.index));
    cell.setLabelIndex(info.labelIndex.value_or(0));
    cell.setRowNumLines(info.numLines);
    cell.setEditState(editState());
    widget->updatePopupAndText();
    // The text is edited in place by the panel's own editor, which a double click opens.
    widget->textField()->setReadOnly(true);
    widget->textField()->setContextMenuPolicy(Qt::NoContextMenu);
    widget->labelPopup()->setEnabled(editState());
    connect(widget->labelPopup(), &QComboBox::activated, this, choose);
    return widget;
}

QWidget *ContactInfoController::makePhotoCellWidget(int row) {
    QMPerson &person = *contact_->person;
    auto *button = new PullDownButton;
    auto *menu = new Menu;
    const int side = int(tableViewHeightOfRow(row)) - 4;
    const QImage photo = photoPicture(person, int(std::ceil(side * qApp->devicePixelRatio())));
    const bool hasPhoto = !photo.isNull();
    const QImage picture = hasPhoto ? photo : QMPerson::placeholder(person.showAsPerson());
    MenuItem *imageItem = menu->addItem(popoverCells_ ? L("hidden") : QString());
    imageItem->setIcon(QIcon(QPixmap::fromImage(picture)));
    menu->addItem(localized(QStringLiteral("Icon Size Bigger")), ActionId::IconSizeBigger);
    menu->addItem(localized(QStringLiteral("Icon Size Smaller")), ActionId::IconSizeSmaller);
    // The popover offers the picture commands only while editing; the panel shows them
    // and disables the whole menu while locked.
    if (!popoverCells_ || editState()) {
        menu->addItem(localized(hasPhoto ? QStringLiteral("Replace Image") : QStringLiteral("Add Image")),
                      ActionId::AddImage);
        if (hasPhoto)
            menu->addItem(localized(QStringLiteral("Delete Image")), ActionId::DeleteImage);
    }
    for (MenuItem *item : menu->itemArray())
        item->setTarget(this);
    button->setPullDownMenu(menu);
    button->setIconSize(QSize(side, side));
    button->setIcon(QIcon(QPixmap::fromImage(picture)));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setEnabled(popoverCells_ || editState());
    button->setObjectName(QStringLiteral("ImagePopupCell"));
    return button;
}
