#include "find/FindMatcher.h"

#include "model/QMPerson.h"

namespace {

bool isAll(const QStringList &selection) {
    return selection.isEmpty() || selection.first() == FindMatcher::All;
}

QSet<quint32> wordsOf(const QStringList &selection, const FindWords &words) {
    QSet<quint32> ids;
    for (const QString &entry : selection)
        ids.insert(words.find(entry));
    return ids;
}

} // namespace

qint32 FindResultRow::lineCountOf(const QString &text) {
    qint32 lines = 1;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == 0x0b || u == 0x0c || u == 0x85 || u == 0x2028 || u == 0x2029)
            ++lines;
    }
    return lines;
}

QStringList FindMatcher::itemsToSearch(const QStringList &selectedItems) {
    return isAll(selectedItems) ? QMPerson::allIdentifiers() : selectedItems;
}

FindMatcher::FindMatcher(const FindQuery &query, const FindSnapshot &snapshot)
    : snapshot_(snapshot)
    , allSubItems_(isAll(query.subItems))
    , allLabels_(isAll(query.labels))
    , subItems_(wordsOf(query.subItems, snapshot.words))
    , labels_(wordsOf(query.labels, snapshot.words))
    , address_(snapshot.words.find(FieldId::Address))
    , partsFields_({snapshot.words.find(FieldId::Name), snapshot.words.find(FieldId::PhoneticName)})
    , instantMessage_(snapshot.words.find(FieldId::InstantMessage)) {
    for (const QString &item : query.items) {
        if (QMPerson::addressIdentifiers().contains(item))
            items_.append({address_, snapshot.words.find(item), FieldId::Address});
        else
            items_.append({snapshot.words.find(item), 0, item});
    }
}

FindMatcher::Rule FindMatcher::ruleFor(const Item &item, const FindText &text) const {
    if (item.part != 0)
        return Rule::OnePart;
    if (partsFields_.contains(item.field))
        return Rule::Parts;
    if (item.field == address_ || item.field == instantMessage_)
        return Rule::PartsAndLabels;
    return text.index >= 0 ? Rule::Values : Rule::Text;
}

bool FindMatcher::passes(const Item &item, const FindText &text) const {
    const bool subItemPasses = allSubItems_ || subItems_.contains(text.subItem);
    const bool labelPasses = allLabels_ || labels_.contains(text.label);
    switch (ruleFor(item, text)) {
    case Rule::Parts:
        return subItemPasses && allLabels_;
    case Rule::PartsAndLabels:
        return subItemPasses && labelPasses;
    case Rule::OnePart:
        return text.subItem == item.part && labelPasses;
    case Rule::Values:
        return allSubItems_ && labelPasses;
    case Rule::Text:
        return allSubItems_ && allLabels_;
    }
    return false;
}

FindResultRows FindMatcher::searchString(FindPattern &pattern, qsizetype position) const {
    FindResultRows rows;
    const ContactTexts &contact = snapshot_.contacts[size_t(position)];
    if (!pattern.canMatch())
        return rows;
    for (const Item &item : items_) {
        if (item.field == FindWords::missing || item.part == FindWords::missing)
            continue;
        for (const FindText &text : contact.texts) {
            if (text.field != item.field || !passes(item, text))
                continue;
            TextRanges ranges = pattern.rangesIn(text.text);
            if (ranges.isEmpty())
                continue;
            auto row = std::make_shared<FindResultRow>();
            row->name = contact.compositeName;
            row->item = item.reported;
            row->subItem = snapshot_.words.word(text.subItem);
            row->label = snapshot_.words.word(text.label);
            if (text.index >= 0)
                row->index = text.index;
            row->setValue(text.text);
            row->ranges = std::move(ranges);
            row->contact = snapshot_.entries[contact.entry];
            row->snapshotPosition = position;
            rows.append(std::move(row));
        }
    }
    return rows;
}
