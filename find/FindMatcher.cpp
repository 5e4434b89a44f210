#include "find/FindMatcher.h"

#include "model/QMPerson.h"

namespace {

bool passes(const QStringList &selection, const QString &entry) {
    return selection.isEmpty() || selection.first() == FindMatcher::All || selection.contains(entry);
}

bool isAll(const QStringList &selection) {
    return selection.isEmpty() || selection.first() == FindMatcher::All;
}

// How an item's values meet the filters.
struct ItemRule {
    const FindField *field = nullptr;
    QString reportedItem;   // "Address" for the address-part items
    QString onlySubItem;    // the address-part items test that part alone
    bool subItemsPass = false; // the sub-item filter applies to each text's sub-item
    bool labelsPass = false;   // the label filter applies to each text's label
};

std::optional<ItemRule> ruleFor(const ContactTexts &contact, const QString &item, const QStringList &subItems,
                                const QStringList &labels) {
    if (QMPerson::addressIdentifiers().contains(item))
        return ItemRule{contact.field(FieldId::Address), FieldId::Address, item, false, true};
    const FindField *field = contact.field(item);
    if (!field)
        return std::nullopt;
    if (item == FieldId::Name || item == FieldId::PhoneticName) {
        if (!isAll(labels))
            return std::nullopt;
        return ItemRule{field, item, {}, true, false};
    }
    if (item == FieldId::Address || item == FieldId::InstantMessage)
        return ItemRule{field, item, {}, true, true};
    if (!isAll(subItems))
        return std::nullopt;
    if (field->kind == ValueKind::Labeled)
        return ItemRule{field, item, {}, false, true};
    if (!isAll(labels))
        return std::nullopt;
    return ItemRule{field, item, {}, false, false};
}

} // namespace

qsizetype FindResultRow::lineCount() const {
    qsizetype lines = 1;
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == 0x0b || u == 0x0c || u == 0x85 || u == 0x2028 || u == 0x2029)
            ++lines;
    }
    return lines;
}

namespace FindMatcher {

QStringList itemsToSearch(const QStringList &selectedItems) {
    return isAll(selectedItems) ? QMPerson::allIdentifiers() : selectedItems;
}

FindResultRows searchString(FindPattern &pattern, const ContactTexts &contact, qsizetype position,
                            const QStringList &items, const QStringList &subItems, const QStringList &labels) {
    FindResultRows rows;
    if (!pattern.canMatch())
        return rows;
    for (const QString &item : items) {
        const auto rule = ruleFor(contact, item, subItems, labels);
        if (!rule || !rule->field)
            continue;
        for (const FindText &text : rule->field->texts) {
            if (!rule->onlySubItem.isEmpty() && text.subItem != rule->onlySubItem)
                continue;
            if ((rule->subItemsPass && !passes(subItems, text.subItem)) ||
                (rule->labelsPass && !passes(labels, text.label)))
                continue;
            TextRanges ranges = pattern.rangesIn(text.text);
            if (ranges.isEmpty())
                continue;
            auto row = std::make_shared<FindResultRow>();
            row->name = contact.compositeName;
            row->item = rule->reportedItem;
            row->subItem = text.subItem;
            row->label = text.label;
            if (text.index >= 0)
                row->index = text.index;
            row->value = text.text;
            row->ranges = std::move(ranges);
            row->contact = contact.contact;
            row->snapshotPosition = position;
            rows.append(std::move(row));
        }
    }
    return rows;
}

} // namespace FindMatcher
