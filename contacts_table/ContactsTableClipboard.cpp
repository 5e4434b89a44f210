// Contacts leaving the table through the pasteboard and drags, and entering it by Paste and
// drops.
#include "contacts_table/ContactsViewController.h"

#include "model/QMvCard.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/TempFiles.h"
#include "platform/ui/ContentTypes.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/TextFile.h"

#include <QTableView>
#include <QUrl>

namespace {

// The fields of a dragged contact's line, before its custom items.
const QStringList &dragIdentifiers() {
    static const QStringList identifiers = {
        FieldId::Name,          FieldId::Email,          FieldId::Phone,    FieldId::Address,
        FieldId::InstantMessage, FieldId::SocialNetwork, FieldId::URL,      FieldId::PhoneticName,
        FieldId::Nickname,      FieldId::Birthday,       FieldId::Relationship, FieldId::Suffix,
        FieldId::Title,         FieldId::Company,        FieldId::Department, FieldId::JobTitle,
        FieldId::Dates,         FieldId::Note};
    return identifiers;
}

const QString tab = QStringLiteral("\t");
const QString comma = QStringLiteral(",");

// The program's own lines in the cards of a drag and of Copy and Copy as CSV: a window of
// ours that takes them gets the contacts whole, photo included.
const QStringList &dragOptions() {
    static const QStringList options = {VCardOption::Note, VCardOption::Photo, VCardOption::Custom};
    return options;
}

QByteArray cardsOf(const QList<ContactEntry> &entries, const QStringList &options,
                   const std::optional<QList<CustomItemDefinition>> &items) {
    const QMvCard card;
    QString text;
    for (const ContactEntry &entry : entries) {
        text += card.vCardFromContact(entry, options, items);
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

// The label (and service) a pasted text takes in a multi-valued field.
struct PastedLabel {
    QString label;
    QString service;
};
std::optional<PastedLabel> pastedLabel(const QString &identifier) {
    static const QString home = QStringLiteral("home");
    if (identifier == FieldId::Phone || identifier == FieldId::Email)
        return PastedLabel{home, {}};
    // A social profile's label is its service.
    if (identifier == FieldId::SocialNetwork)
        return PastedLabel{CNSocialProfileServiceTwitter, CNSocialProfileServiceTwitter};
    if (identifier == FieldId::InstantMessage)
        return PastedLabel{home, CNInstantMessageServiceAIM};
    if (identifier == FieldId::URL)
        return PastedLabel{QStringLiteral("homePage"), {}};
    if (identifier == FieldId::Relationship)
        return PastedLabel{QStringLiteral("partner"), {}};
    return std::nullopt;
}

// The first line holding more than blanks, without its line break.
QString firstNonEmptyLine(const QString &text) {
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            return line.toString();
    }
    return {};
}

// A vCard file among the URLs read as UTF-8 text, each one.
QStringList vCardFileTexts(const QList<QUrl> &urls) {
    QStringList texts;
    for (const QUrl &url : urls) {
        const QString path = url.toLocalFile();
        if (!ContentTypes::conformsTo(ContentTypes::typeForFile(path), ContentTypes::VCard))
            continue;
        PlatformError error;
        if (const std::optional<QString> text = TextFile::read(path, TextEncoding::UTF8, &error))
            texts.append(*text);
    }
    return texts;
}

} // namespace

void ContactsViewController::registerClipboardActions() {
    registerAction(ActionId::Copy, [this](QObject *sender) { copy(sender); });
    registerAction(ActionId::CopyAsCSV, [this](QObject *sender) { copyAsCSV(sender); });
    registerAction(ActionId::CopyAsVCard, [this](QObject *sender) { copyAsVCard(sender); });
    registerAction(ActionId::Paste, [this](QObject *sender) { paste(sender); });
    const auto hasContactRow = [this](MenuItem &) { return tableView_ && !selectedSubContacts().isEmpty(); };
    for (const QString &action : {ActionId::Copy, ActionId::CopyAsCSV, ActionId::CopyAsVCard})
        validation_.insert(action, hasContactRow);
    validation_.insert(ActionId::Paste, [](MenuItem &) {
        return !Pasteboard::general()
                    .availableTypeFromArray({PasteboardType::VCard, PasteboardType::FileURL, PasteboardType::String})
                    .isEmpty();
    });
}

// ---- Copy

QStringList ContactsViewController::clipboardIdentifiers() const {
    const QStringList columns = tableIdentfiers();
    return columns.size() < 2 ? QMPerson::allIdentifiers() : columns;
}

QString ContactsViewController::separatedTextOfRows(const QList<int> &rows, const QString &separator) const {
    const QStringList identifiers = clipboardIdentifiers();
    const QMvCard card;
    QString text;
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    for (const int r : sorted) {
        if (!isRow(r))
            continue;
        text += card.csvStringFromContact(*subContactTable()[size_t(r)], identifiers, separator, true);
        text += u'\n';
    }
    if (text.size() < 2)
        return {};
    text.chop(1);
    return text;
}

void ContactsViewController::copySeparatedText(const QString &separator, const QString &type) {
    const QList<int> rows = selectedRowIndexes();
    const QString text = separatedTextOfRows(rows, separator);
    if (text.isEmpty())
        return;
    Pasteboard &pasteboard = Pasteboard::general();
    pasteboard.declareTypes({PasteboardType::String, type, PasteboardType::VCard});
    pasteboard.setString(text);
    pasteboard.setData(text.toUtf8(), type);
    // The text is for other programs; a paste in a window of ours takes the contacts whole.
    pasteboard.setData(cardsOf(contactsOfRows(rows), dragOptions(), windowState_->customItems()),
                       PasteboardType::VCard);
}

void ContactsViewController::copy(QObject *) {
    copySeparatedText(tab, PasteboardType::TabSeparatedText);
}

void ContactsViewController::copyAsCSV(QObject *) {
    copySeparatedText(comma, PasteboardType::CommaSeparatedText);
}

void ContactsViewController::copyAsVCard(QObject *) {
    const QByteArray data = cardsOf(contactsOfRows(selectedRowIndexes()), {VCardOption::Note, VCardOption::Custom},
                                    windowState_->customItems());
    if (data.trimmed().isEmpty())
        return;
    Pasteboard &pasteboard = Pasteboard::general();
    pasteboard.declareTypes({PasteboardType::VCard, PasteboardType::FileURL});
    pasteboard.setData(data, PasteboardType::VCard);
    // Each copy its own file: a file manager pasting an earlier copy still finds it.
    const QString path = TempFiles::writeInNewFolder(QStringLiteral("SelectedContacts.vcf"), data);
    if (!path.isEmpty())
        pasteboard.writeFileURLs({QUrl::fromLocalFile(path)});
}

// ---- Paste

std::optional<ContactEntry> ContactsViewController::contactFromString(const QString &text) const {
    const QString line = firstNonEmptyLine(text);
    if (line.isEmpty())
        return std::nullopt;
    QStringList fields;
    if (line.contains(u'\t'))
        fields = line.split(u'\t');
    else if (line.contains(u','))
        fields = QMvCard::fieldsOfCsvLine(line);
    else
        fields = {line};

    auto person = std::make_shared<QMPerson>();
    LabeledValueRecord address;
    address.label = QStringLiteral("home");
    bool addressPart = false;
    bool set = false;
    // Every identifier takes its own field, as copy wrote them; fields of no settable
    // kind (addresses as a whole, dates, the photo, the pseudo-rows) are passed over.
    const QStringList identifiers = clipboardIdentifiers();
    for (qsizetype i = 0; i < identifiers.size() && i < fields.size(); ++i) {
        const QString &identifier = identifiers.at(i);
        const QString &field = fields.at(i);
        if (field.isEmpty())
            continue;
        if (identifier == FieldId::Name) {
            NameRecord name;
            name.lastName = field;
            name.showAsPerson = true;
            name.nameOrdering = 0;
            person->setValue(name, FieldId::Name);
            set = true;
        } else if (identifier == FieldId::PhoneticName) {
            PhoneticNameRecord phonetic;
            phonetic.lastName = field;
            person->setValue(phonetic, FieldId::PhoneticName);
            set = true;
        } else if (identifier == FieldId::Birthday) {
            if (const std::optional<DateComponents> date = QMvCard::dateComponentsFromText(field)) {
                BirthdayRecord birthday;
                birthday.value = date;
                person->setValue(birthday, FieldId::Birthday);
                set = true;
            }
        } else if (const std::optional<PastedLabel> label = pastedLabel(identifier)) {
            LabeledValueRecord value;
            value.value = field;
            value.label = label->label;
            value.service = label->service;
            value.type = identifier;
            person->addLabeledValue(value, identifier);
            set = true;
        } else if (QString *part = QMPerson::addressIdentifiers().contains(identifier)
                                       ? address.addressPart(identifier)
                                       : nullptr) {
            *part = field;
            addressPart = true;
        } else if (QMPerson::stringIdentifiers().contains(identifier)) {
            person->setValue(field, identifier);
            set = true;
        } else if (!QMPerson::allIdentifiers().contains(identifier)) {
            // A custom item of the window: its value, in the item's kind.
            for (const CustomItemDefinition &item : customItems()) {
                if (item.name != identifier)
                    continue;
                if (item.type == ValueKind::Labeled) {
                    LabeledValueRecord value;
                    value.value = field;
                    value.label = item.labels.isEmpty() ? QString() : item.labels.first();
                    person->addLabeledValue(value, identifier);
                } else {
                    person->addCustomItem(ValueKind::String, identifier, item.labels, std::nullopt);
                    person->setValue(field, identifier);
                }
                set = true;
                break;
            }
        }
    }
    if (addressPart) {
        person->addLabeledValue(address, FieldId::Address);
        set = true;
    }
    if (!set)
        return std::nullopt;
    person->setCreated(true);
    ContactEntry entry = ContactEntry::withPerson(person);
    entry.isNew = true;
    return entry;
}

bool ContactsViewController::addContactsFromPasteboard(const Pasteboard &pasteboard) {
    if (!delegate_)
        return false;
    const QStringList types = pasteboard.types();
    if (types.contains(PasteboardType::VCard)) {
        const QByteArray data = pasteboard.dataForType(PasteboardType::VCard);
        if (!data.isEmpty()) {
            delegate_->addContactByVCardString(QString::fromUtf8(data), nullptr);
            return true;
        }
    }
    // Files that are no vCard are not pasted as their names.
    if (types.contains(PasteboardType::FileURL)) {
        const QStringList texts = vCardFileTexts(pasteboard.fileURLs());
        for (const QString &text : texts)
            delegate_->addContactByVCardString(text, nullptr);
        return !texts.isEmpty();
    }
    if (!types.contains(PasteboardType::String))
        return false;
    const QString text = pasteboard.stringForType();
    if (QMvCard::isVCardText(text)) {
        delegate_->addContactByVCardString(text, nullptr);
        return true;
    }
    const std::optional<ContactEntry> entry = contactFromString(text);
    if (!entry)
        return false;
    addPastedContact(*entry);
    return true;
}

void ContactsViewController::addPastedContact(const ContactEntry &entry) {
    if (!delegate_)
        return;
    const SharedGroup group = delegate_->selectedGroupDict();
    if (!group)
        return;
    delegate_->addContacts({entry}, group);
}

void ContactsViewController::paste(QObject *) {
    addContactsFromPasteboard(Pasteboard::general());
}

// ---- Dragging rows out

bool ContactsViewController::canDragRowsWithIndexes(const QList<int> &rows, const QPoint &point) const {
    Q_UNUSED(rows)
    Q_UNUSED(point)
    return true;
}

QList<ContactEntry> ContactsViewController::contactsOfRows(const QList<int> &rows) const {
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    QList<ContactEntry> entries = contactsForIndexes(sorted);
    for (ContactEntry &entry : entries)
        entry.labelIndex = 0;
    return entries;
}

bool ContactsViewController::tableViewWriteRowsWithIndexes(const QList<int> &rows, Pasteboard &pasteboard) {
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    const QList<ContactEntry> entries = contactsOfRows(sorted);
    const auto firstRow = std::find_if(sorted.cbegin(), sorted.cend(), [this](int r) { return isRow(r); });
    if (entries.isEmpty() || firstRow == sorted.cend())
        return false;
    // Rows, not the footer: the numbers name contact rows of this window's table.
    QStringList indexes;
    for (const int r : sorted)
        if (isRow(r))
            indexes.append(QString::number(r));
    const qint64 labelIndex = subContactTable()[size_t(*firstRow)]->labelIndex;

    // The texts are made only when a receiver asks, each once.
    const std::optional<QList<CustomItemDefinition>> items = windowState_->customItems();
    auto separated = std::make_shared<std::optional<QByteArray>>();
    const auto separatedText = [entries, separated] {
        if (!*separated) {
            const QMvCard card;
            QString text;
            for (const ContactEntry &entry : entries) {
                const QString line = card.csvStringFromContact(
                    entry, dragIdentifiers() + entry.person->customIdentifiers(), tab, false);
                text += line;
                text += u'\n';
            }
            if (text.size() >= 2)
                text.chop(1);
            *separated = text.toUtf8();
        }
        return **separated;
    };
    auto cards = std::make_shared<std::optional<QByteArray>>();
    const auto vCardText = [entries, items, cards] {
        if (!*cards)
            *cards = cardsOf(entries, dragOptions(), items);
        return **cards;
    };

    pasteboard.declareTypes({PasteboardType::String, PasteboardType::VCard, PasteboardType::PromisedFileURL,
                             PasteboardType::FileURL, PasteboardType::TabSeparatedText});
    pasteboard.setSource(tableView_ ? tableView_->window() : nullptr, tableView_);
    pasteboard.setDataProvider(PasteboardType::String, separatedText);
    pasteboard.setDataProvider(PasteboardType::TabSeparatedText, separatedText);
    pasteboard.setDataProvider(PasteboardType::VCard, vCardText);
    // A file manager takes the drag as a file of its own name, written when it asks.
    pasteboard.setDataProvider(PasteboardType::FileURL, [vCardText] {
        const QString path = TempFiles::writeInNewFolder(QStringLiteral("draggingContacts.vcf"), vCardText());
        return path.isEmpty() ? QByteArray() : QUrl::fromLocalFile(path).toEncoded();
    });
    pasteboard.setString(QString::number(labelIndex), PasteboardType::LabelIndex);
    pasteboard.setString(indexes.join(u','), PasteboardType::StringIndexes);
    return true;
}

void ContactsViewController::installRowDragAndDrop() {
    installTableRowDragDrop(tableView_, this, [this](int pressedRow, const QList<int> &selectedBeforePress) {
        if (!isRow(pressedRow))
            return QList<int>();
        // A press on a row of a selection of several took the others away: the drag
        // carries the selection as it was.
        const QList<int> selected = selectedRowIndexes();
        if (selectedBeforePress.contains(pressedRow) && selected == QList<int>{pressedRow} &&
            selectedBeforePress.size() > 1) {
            selectRowIndexes(selectedBeforePress);
            return selectedBeforePress;
        }
        return selected.contains(pressedRow) ? selected : QList<int>{pressedRow};
    });
}

// ---- Drops onto the table

Qt::DropAction ContactsViewController::tableViewValidateDrop(const Pasteboard &info, int row,
                                                             TableViewDropOperation operation) const {
    if (operation != TableViewDropOperation::Above || !editState())
        return Qt::IgnoreAction;
    const int contactRows = int(subContactTable().size());
    if (contactRows > 0 && row >= contactRows)
        return Qt::IgnoreAction;
    if (info.isFromView(tableView_))
        return Qt::IgnoreAction;
    if (info.isFromThisApplication())
        return EveryDropOperation;
    return info.availableTypeFromArray({PasteboardType::VCard, PasteboardType::FileURL,
                                        PasteboardType::PromisedFileURL, PasteboardType::String})
                   .isEmpty()
               ? Qt::IgnoreAction
               : EveryDropOperation;
}

bool ContactsViewController::tableViewAcceptDrop(const Pasteboard &info, int row, TableViewDropOperation operation) {
    Q_UNUSED(row)
    Q_UNUSED(operation)
    if (info.isFromThisApplication()) {
        const QByteArray data = info.dataForType(PasteboardType::VCard);
        if (data.isEmpty() || !delegate_)
            return false;
        delegate_->addContactByVCardString(QString::fromUtf8(data), nullptr);
        return true;
    }
    return addContactsFromPasteboard(info);
}
