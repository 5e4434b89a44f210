#include "contacts_table/ContactsTableModel.h"

#include "contacts_table/SubContactRows.h"
#include "model/QMPerson.h"
#include "platform/core/Localization.h"
#include "state/SharedSettings.h"
#include "state/WindowState.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPainter>

#include <cmath>

namespace {

bool isAddressPart(const QString &identifier) {
    static const QStringList parts = {FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street,
                                      FieldId::Country};
    return parts.contains(identifier);
}

} // namespace

ContactsTableModel::ContactsTableModel(const WindowState *windowState, const SharedSettings *settings,
                                       QObject *parent)
    : QAbstractTableModel(parent)
    , windowState_(windowState)
    , settings_(settings) {
    // Only the cells that wait are redrawn: a view repaints a whole column's change whole.
    connect(&thumbnails_, &ThumbnailCache::pictureReady, this, [this](const QByteArray &data) {
        const QList<int> rows = rowsAwaitingPicture_.values(data.constData());
        rowsAwaitingPicture_.remove(data.constData());
        const int column = columnOf(FieldId::Name);
        for (const int row : rows)
            if (column >= 0 && isRow(row))
                emit dataChanged(index(row, column), index(row, column), {CellRole});
    });
}

QStringList ContactsTableModel::columnIdentifiers() const {
    QStringList identifiers;
    identifiers.reserve(columns_.size());
    for (const ContactsTableColumn &column : columns_)
        identifiers.append(column.identifier);
    return identifiers;
}

int ContactsTableModel::columnOf(const QString &identifier) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].identifier == identifier)
            return i;
    return -1;
}

void ContactsTableModel::reset(
    const std::function<void(SubContactTable &rows, QList<ContactsTableColumn> &columns)> &change,
    bool hasContacts) {
    beginResetModel();
    change(rows_, columns_);
    hasContacts_ = hasContacts;
    // The rows are new: a reset view asks for every shown picture again.
    rowsAwaitingPicture_.clear();
    // Labels met while building rows join the vocabularies.
    labelsByColumn_.clear();
    endResetModel();
}

void ContactsTableModel::moveColumn(int from, int to) {
    beginMoveColumns({}, from, from, {}, to > from ? to + 1 : to);
    columns_.move(from, to);
    endMoveColumns();
}

std::vector<size_t> ContactsTableModel::replaceRowsOfContact(
    const QMPerson *person, const SubContactTable &made,
    const std::function<size_t(const SubContactTable &, SubContactRow &)> &placeOf) {
    // Runs of the contact's rows, the last first, so the indexes before them stay valid.
    for (int last = int(rows_.size()) - 1; last >= 0;) {
        if (rows_[size_t(last)]->person.get() != person) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && rows_[size_t(first - 1)]->person.get() == person)
            --first;
        beginRemoveRows({}, first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
        last = first - 1;
    }
    for (const SubContactRowPtr &row : made) {
        const int at = int(placeOf(rows_, *row));
        beginInsertRows({}, at, at);
        rows_.insert(rows_.begin() + at, row);
        endInsertRows();
    }
    // A new value may bring a new label word.
    labelsByColumn_.clear();
    const std::vector<size_t> changed = SubContactRows::markContinuationRows(rows_);
    for (const size_t row : changed)
        emit dataChanged(index(int(row), 0), index(int(row), int(columns_.size()) - 1));
    return changed;
}

void ContactsTableModel::setFooterText(const QString &text) {
    if (text == footerText_)
        return;
    footerText_ = text;
    if (hasContacts_)
        emit dataChanged(index(int(rows_.size()), 0), index(int(rows_.size()), 0));
}

const std::optional<FindTarget> &ContactsTableModel::currentMatch() const {
    static const std::optional<FindTarget> none;
    return showsCurrentMatch_ ? windowState_->findTarget() : none;
}

void ContactsTableModel::setShowsCurrentMatch(bool shows) {
    showsCurrentMatch_ = shows;
    findDidChange();
}

void ContactsTableModel::findDidChange() {
    if (!rows_.empty() && !columns_.isEmpty())
        emit dataChanged(index(0, 0), index(int(rows_.size()) - 1, int(columns_.size()) - 1));
}

int ContactsTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() || !hasContacts_ ? 0 : int(rows_.size()) + 1;
}

int ContactsTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant ContactsTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != CellRole))
        return {};
    if (isFooter(index.row()))
        return role == Qt::DisplayRole && index.column() == 0 ? QVariant(footerText_) : QVariant();
    const ContactsTableCell cell = this->cell(index.row(), columns_.value(index.column()).identifier);
    return role == CellRole ? QVariant::fromValue(cell) : QVariant(cell.text);
}

QVariant ContactsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= columns_.size())
        return {};
    return columns_[section].title;
}

Qt::ItemFlags ContactsTableModel::flags(const QModelIndex &index) const {
    // The footer is disabled too, so the keyboard never moves onto it. Whether a cell is
    // edited in place is the controller's to say; the view opens editors only when told.
    if (!index.isValid() || !isRow(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

int ContactsTableModel::heightOfRow(int row) const {
    if (!isRow(row))
        return int(appearance_.rowHeight);
    return int(rows_[size_t(row)]->numLines * appearance_.rowHeight);
}

const ContactsTableModel::ColumnLabels &ContactsTableModel::columnLabels(const QString &identifier,
                                                                         const QString &labelsOf) const {
    auto found = labelsByColumn_.find(identifier);
    if (found == labelsByColumn_.end()) {
        ColumnLabels labels;
        labels.labels = QMPerson::labelsForIdentifier(labelsOf).value_or(QStringList());
        labels.localizedLabels = QMPerson::localizedLabelsForIdentifier(labelsOf).value_or(QStringList());
        labels.customLabels = QMPerson::customLabelsForIdentifier(identifier).value_or(QStringList());
        found = labelsByColumn_.insert(identifier, labels);
    }
    return *found;
}

ContactsTableCell ContactsTableModel::textCell(const QString &text, const QString &identifier,
                                               const SubContactRow &row, bool editable) const {
    ContactsTableCell cell;
    cell.kind = ContactsTableCell::TextCell;
    cell.text = text;
    cell.font = appearance_.font;
    cell.editable = editable;
    const std::optional<FindTarget> &target = currentMatch();
    std::optional<TextRange> current;
    if (target && target->uniqueId == row.uniqueId && target->identifier == identifier)
        current = target->range;
    cell.highlights = findHighlights(text, windowState_->findString(), windowState_->findOptions(), current);
    return cell;
}

ContactsTableCell ContactsTableModel::popupCell(const QString &identifier, const SubContactRow &row,
                                                const LabeledValueRecord *value, const QString &shownText,
                                                const QString &labelsOf) const {
    const ColumnLabels &labels = columnLabels(identifier, labelsOf);
    const bool editState = windowState_->editState();
    const std::optional<FindTarget> &target = currentMatch();
    PopupAndTextCell popup;
    popup.setType(identifier);
    popup.setFindString(windowState_->findString());
    popup.setFindOptions(windowState_->findOptions());
    popup.setPerson(row.person);
    popup.setFindTarget(target && target->identifier == identifier ? target : std::nullopt);
    popup.setSelectedFont(appearance_.font);
    popup.setEditState(editState);
    popup.setLabels(labels.labels);
    popup.setLocalizedLabels(labels.localizedLabels);
    popup.setCustomLabels(labels.customLabels);
    if (value)
        popup.setShownValue(value->label, shownText);
    // A find match names its value by running number, whatever its position.
    popup.setLabelIndex(value ? value->labelIndex : row.labelIndex);
    popup.setRowNumLines(row.numLines);
    popup.updatePopupAndText();
    ContactsTableCell cell;
    cell.kind = ContactsTableCell::PopupAndText;
    cell.font = appearance_.font;
    cell.text = popup.content().text;
    cell.editable = editState && identifier != FieldId::Address && identifier != FieldId::InstantMessage &&
                    identifier != FieldId::Dates;
    cell.popup = std::move(popup);
    return cell;
}

ContactsTableCell ContactsTableModel::cell(int r, const QString &identifier) const {
    if (!isRow(r))
        return {};
    const SubContactRow &row = *rows_[size_t(r)];
    QMPerson &person = *row.person;
    const qsizetype li = qsizetype(row.labelIndex);
    const bool editState = windowState_->editState();
    if (identifier == FieldId::Name) {
        ContactsTableCell cell;
        cell.font = appearance_.boldFont;
        if (row.notFirstRow) {
            cell.kind = ContactsTableCell::ImageAndText;
            return cell;
        }
        const QString personName = person.nameValue().stringValue;
        const QString company = person.stringValueForIdentifier(FieldId::Company);
        cell.kind = !personName.isEmpty() && !company.isEmpty() ? ContactsTableCell::DetailCell
                                                                : ContactsTableCell::ImageAndText;
        if (appearance_.showCompanyInNameCell)
            cell.detailText = person.showAsPerson() ? company : personName;
        const QString name = person.compositeName();
        cell.text = name.isEmpty() ? L("No Name") : name;
        // Drawn lineHeight - 4 pixels high (see the painter), on the sharpest screen.
        const QByteArray photo = person.photoData();
        const int side = int(std::ceil(double(appearance_.rowHeight - 4) * qApp->devicePixelRatio()));
        std::optional<QImage> picture =
            photo.isEmpty() ? QImage() : thumbnails_.picture(photo, std::max(side, 1));
        cell.imagePending = !picture;
        if (!picture && !rowsAwaitingPicture_.contains(photo.constData(), r))
            rowsAwaitingPicture_.insert(photo.constData(), r);
        if (picture)
            cell.image = picture->isNull() ? QMPerson::placeholder(person.showAsPerson()) : *picture;
        cell.editable = editState;
        cell.highlights = textCell(cell.text, identifier, row, false).highlights;
        return cell;
    }
    if (identifier == FieldId::PhoneticName) {
        const auto phonetic = li == 0 ? person.phoneticNameValue() : std::nullopt;
        return textCell(phonetic ? phonetic->stringValue : QString(), identifier, row, editState);
    }
    if (isAddressPart(identifier)) {
        // The list is shared with the contact, not copied; only the row's value is read.
        const auto addresses = person.labeledValueForIdentifier(FieldId::Address);
        if (!addresses || li >= addresses->size())
            return {};
        const LabeledValueRecord &address = addresses->at(li);
        if (!settings_->labelPasses(address.label))
            return {};
        return popupCell(identifier, row, &address, *address.addressPart(identifier), FieldId::Address);
    }
    if (identifier == FieldId::Birthday) {
        const auto birthday = li == 0 ? person.birthdayValue() : std::nullopt;
        if (!birthday || birthday->stringValue.isEmpty())
            return {};
        return textCell(birthday->stringValue, identifier, row, false);
    }
    const QString type = person.typeForIdentifier(identifier, windowState_->customItemsOrEmpty());
    if (type == ValueKind::Labeled) {
        const auto values = person.labeledValueForIdentifier(identifier);
        const LabeledValueRecord *value = values && li < values->size() ? &values->at(li) : nullptr;
        if (value && !settings_->labelPasses(value->label))
            value = nullptr;
        return popupCell(identifier, row, value, value ? value->stringValue : QString(), identifier);
    }
    if (type == ValueKind::String) {
        if (li != 0)
            return {};
        return textCell(person.stringValueForIdentifier(identifier), identifier, row, editState);
    }
    return {};
}

// ---- Painting

ContactsTableCellPainter::ContactsTableCellPainter(ContactsTableModel *model)
    : QStyledItemDelegate(model)
    , model_(model) {}

QSize ContactsTableCellPainter::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const {
    return {int(model_->columns().value(index.column()).width), model_->heightOfRow(index.row())};
}

void ContactsTableCellPainter::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const {
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    QStyleOptionViewItem panel(option);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);
    const bool selected = option.state & QStyle::State_Selected;
    const QColor textColor = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    const int row = index.row();
    const ContactsTableModel::Appearance &appearance = model_->appearance();
    const int lineHeight = int(appearance.rowHeight);
    if (model_->isFooter(row)) {
        painter->save();
        painter->fillRect(option.rect, option.palette.color(QPalette::AlternateBase));
        painter->setFont(appearance.font);
        painter->setPen(option.palette.color(QPalette::PlaceholderText));
        painter->drawText(option.rect.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter,
                          model_->footerText());
        painter->restore();
        return;
    }
    const ContactsTableCell cell = model_->cell(row, model_->columns().value(index.column()).identifier);
    QRect rect = option.rect.adjusted(2, 0, -2, 0);
    switch (cell.kind) {
    case ContactsTableCell::None:
        return;
    case ContactsTableCell::PopupAndText:
        PopupAndTextCell::paint(painter, option.rect, cell.popup->content(), option.palette, selected);
        return;
    case ContactsTableCell::ImageAndText:
    case ContactsTableCell::DetailCell:
        if (!cell.image.isNull() || cell.imagePending) {
            const int side = lineHeight - 4;
            // Fitted, so a picture that is not square keeps its proportions.
            const QSize drawn =
                cell.image.isNull() ? QSize() : cell.image.size().scaled(side, side, Qt::KeepAspectRatio);
            if (!drawn.isEmpty())
                painter->drawImage(QRect(rect.left() + (side - drawn.width()) / 2,
                                         rect.top() + 2 + (side - drawn.height()) / 2, drawn.width(),
                                         drawn.height()),
                                   cell.image);
            rect.setLeft(rect.left() + side + 4);
        }
        if (cell.kind == ContactsTableCell::DetailCell) {
            QRect second = rect;
            second.setTop(rect.top() + lineHeight);
            paintHighlightedText(painter, second, cell.detailText, appearance.font, {}, textColor);
            rect.setHeight(lineHeight);
        }
        break;
    case ContactsTableCell::TextCell:
        break;
    }
    paintHighlightedText(painter, rect, cell.text, cell.font, cell.highlights, textColor);
}

QRect ContactsTableCellPainter::textRect(const QRect &cellRect, const QModelIndex &index) const {
    const ContactsTableCell cell = model_->cell(index.row(), model_->columns().value(index.column()).identifier);
    if (cell.kind == ContactsTableCell::PopupAndText && cell.popup)
        return PopupAndTextCell::textRect(cellRect, cell.popup->content());
    return cellRect;
}

QWidget *ContactsTableCellPainter::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                                const QModelIndex &index) const {
    return editorFactory_ ? editorFactory_(parent, index) : nullptr;
}

void ContactsTableCellPainter::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                                    const QModelIndex &index) const {
    QRect rect = textRect(option.rect, index);
    // A text of more lines than the row shows gets room for all of them.
    if (const auto *text = qobject_cast<QPlainTextEdit *>(editor)) {
        const int lines = std::max(1, text->document()->blockCount());
        rect.setHeight(std::max(rect.height(), lines * text->fontMetrics().lineSpacing() + 6));
    }
    editor->setGeometry(rect);
}

bool ContactsTableCellPainter::eventFilter(QObject *object, QEvent *event) {
    // The field editor ends its own edits (keys, focus); the delegate's filter would commit
    // and close it on its own.
    if (qobject_cast<QPlainTextEdit *>(object))
        return false;
    return QStyledItemDelegate::eventFilter(object, event);
}
