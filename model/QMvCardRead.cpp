// vCard text into containers: cutting the text into cards, their categories and X- lines.
#include "model/QMvCard.h"

#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/contacts/VCardSyntax.h"
#include "platform/core/Localization.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>

namespace {

// The line ends the vCard reader knows: a card is cut where its reader sees lines, or a
// value holding another break (a vertical tab, U+2028) and "BEGIN:VCARD" after it would
// open a card on the second read that the first read did not have.
bool isNewline(char16_t c) {
    return c == u'\n' || c == u'\r';
}

bool startsWithIgnoringCase(QStringView text, qsizetype at, QLatin1StringView upperCase) {
    if (text.size() - at < upperCase.size())
        return false;
    for (qsizetype i = 0; i < upperCase.size(); ++i) {
        char16_t c = text[at + i].unicode();
        if (c >= u'a' && c <= u'z')
            c -= 0x20;
        if (c != char16_t(upperCase[i].unicode()))
            return false;
    }
    return true;
}

constexpr QLatin1StringView beginMarker("BEGIN:VCARD");
constexpr QLatin1StringView endMarker("END:VCARD");

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

qsizetype skipLine(QStringView text, qsizetype from) {
    qsizetype i = from;
    while (i < text.size() && !isNewline(text[i].unicode()))
        ++i;
    return i < text.size() ? i + 1 : i;
}

// Cuts a text into cards in one pass. A card runs from its BEGIN:VCARD line to the
// END:VCARD line that closes it, nested cards (vCard 2.1 agents) inside. A card that is
// never closed ends where the next BEGIN:VCARD line starts, so it cannot swallow the
// cards after it; finding one takes a scan to the end of the text, whose BEGIN lines are
// kept, so that no line is scanned a third time.
class CardCutter {
public:
    struct Card {
        qsizetype begin = -1;
        qsizetype end = -1; // just past the line break after END:VCARD, or the next card's line
        bool closed = true;
    };

    explicit CardCutter(QStringView text)
        : text_(text) {}

    // The first card that starts at or after `from`, a line start.
    std::optional<Card> next(qsizetype from) {
        if (scannedToEnd_)
            return fromScanned(from);
        qsizetype line = from;
        qsizetype begin = -1;
        for (; line < text_.size(); line = skipLine(text_, line))
            if ((begin = markerAt(line, beginMarker, true)) >= 0)
                break;
        if (begin < 0)
            return std::nullopt;
        begins_.clear();
        open_.clear();
        begins_.push_back({line, begin, -1});
        open_.push_back(0);
        for (line = skipLine(text_, line); line < text_.size(); line = skipLine(text_, line)) {
            if (const qsizetype at = markerAt(line, beginMarker, false); at >= 0) {
                open_.push_back(begins_.size());
                begins_.push_back({line, at, -1});
            } else if (const qsizetype end = markerAt(line, endMarker, false); end >= 0) {
                begins_[open_.back()].end = pastLineBreak(end + endMarker.size());
                open_.pop_back();
                if (open_.empty())
                    return Card{begin, begins_.front().end, true};
            }
        }
        scannedToEnd_ = true;
        return fromScanned(from);
    }

private:
    struct Begin {
        qsizetype line;
        qsizetype at;       // the B of BEGIN
        qsizetype end = -1; // past the END line that closes it; -1 when none does
    };

    // Where the marker starts on the line, or -1. A marker line may begin with a
    // byte-order mark (files joined end to end) and, between cards, with blanks; inside
    // a card a line that begins with a blank continues the line before it.
    qsizetype markerAt(qsizetype line, QLatin1StringView marker, bool blanksFirst) const {
        qsizetype at = line;
        if (at < text_.size() && text_[at] == QChar(0xFEFF))
            ++at;
        while (blanksFirst && at < text_.size() && isBlank(text_[at]))
            ++at;
        if (!startsWithIgnoringCase(text_, at, marker))
            return -1;
        for (qsizetype i = at + marker.size(); i < text_.size() && !isNewline(text_[i].unicode()); ++i)
            if (!isBlank(text_[i]))
                return -1;
        return at;
    }

    qsizetype pastLineBreak(qsizetype from) const {
        qsizetype end = from;
        while (end < text_.size() && !isNewline(text_[end].unicode()))
            ++end;
        if (end < text_.size())
            end += text_.sliced(end).startsWith(u"\r\n") ? 2 : 1;
        return end;
    }

    std::optional<Card> fromScanned(qsizetype from) {
        while (next_ < begins_.size() && begins_[next_].at < from)
            ++next_;
        if (next_ == begins_.size())
            return std::nullopt;
        const Begin &begin = begins_[next_];
        if (begin.end >= 0)
            return Card{begin.at, begin.end, true};
        const qsizetype end = next_ + 1 < begins_.size() ? begins_[next_ + 1].line : text_.size();
        return Card{begin.at, end, false};
    }

    QStringView text_;
    // The BEGIN lines of the card being cut, or of the rest of the text once a scan has
    // reached its end with cards left open; kept between cards to spare allocations.
    std::vector<Begin> begins_;
    std::vector<size_t> open_;
    bool scannedToEnd_ = false;
    size_t next_ = 0;
};

// A card without END:VCARD is read as far as it goes, when it says whose card it is.
bool holdsAName(QMPerson &person) {
    const NameRecord name = person.nameValue();
    return !name.firstName.isEmpty() || !name.middleName.isEmpty() || !name.lastName.isEmpty() ||
           !person.stringValueForIdentifier(FieldId::Company).isEmpty();
}

SharedGroup allContactsGroup() {
    auto group = std::make_shared<GroupRecord>();
    group->top = true;
    group->name = L("All Contacts");
    group->containerName = VCardContainerName;
    group->uniqueId = QString();
    return group;
}

// One item has one kind per contact: any labeled line makes the item labeled, and its
// plain lines become values without a label. Lines without a value, or named like a
// field, give no item; they are counted.
qsizetype addCustomItems(const QList<VCardExtension> &lines, QMPerson &person) {
    qsizetype leftOut = 0;
    QStringList names;
    for (const VCardExtension &line : lines) {
        if (line.value.isEmpty() || QMPerson::isReservedIdentifier(line.name))
            ++leftOut;
        else if (!names.contains(line.name))
            names.append(line.name);
    }
    for (const QString &name : std::as_const(names)) {
        bool labeled = false;
        for (const VCardExtension &line : lines)
            labeled = labeled || (line.name == name && line.label);
        if (!labeled) {
            QString value;
            for (const VCardExtension &line : lines)
                if (line.name == name && !line.value.isEmpty())
                    value = line.value;
            if (!person.customIdentifiers().contains(name))
                person.addCustomItem(ValueKind::String, name, std::nullopt, std::nullopt);
            person.setValue(value, name);
            continue;
        }
        LabeledValueList values;
        QStringList labels;
        for (const VCardExtension &line : lines) {
            if (line.name != name || line.value.isEmpty())
                continue;
            LabeledValueRecord record;
            record.label = line.label.value_or(QString());
            record.value = line.value;
            record.stringValue = line.value;
            record.labelIndex = values.size();
            values.append(record);
            if (!record.labelText().isEmpty() && !labels.contains(record.labelText()))
                labels.append(record.labelText());
        }
        person.addCustomItem(ValueKind::Labeled, name, labels, std::nullopt);
        person.setValue(values, name);
    }
    return leftOut;
}

// The extras of the card itself, which ends last.
VCardExtras outerCardExtras(QStringView card) {
    VCardReadDetails details;
    CNContactVCardSerialization::contactsWithData(card.toUtf8(), nullptr, &details);
    return details.extras.isEmpty() ? VCardExtras() : details.extras.last();
}

} // namespace

SharedGroup QMvCard::categoryGroup(const QString &name) {
    auto group = std::make_shared<GroupRecord>();
    group->name = name;
    group->containerName = LocalContainerName;
    group->uniqueId = name + u'-' + QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    return group;
}

QList<SharedGroup> QMvCard::CategoryGroups::groupsFor(const QStringList &categories) {
    QList<SharedGroup> groups;
    for (const QString &category : categories) {
        const QString name = VCardSyntax::trimmed(category);
        if (name.isEmpty())
            continue;
        SharedGroup &group = byName_[name];
        if (!group) {
            group = categoryGroup(name);
            container_.groups.append(group);
        }
        if (!groups.contains(group))
            groups.append(group);
    }
    return groups;
}

void QMvCard::sortGroups(ContainerRecord &container) {
    std::stable_sort(container.groups.begin(), container.groups.end(),
                     [](const SharedGroup &a, const SharedGroup &b) {
                         if (a->top != b->top)
                             return a->top;
                         return a->name < b->name;
                     });
}

ContainerRecord QMvCard::fileContainer() {
    ContainerRecord container;
    container.name = VCardContainerName;
    container.type = 1;
    container.groups.append(allContactsGroup());
    return container;
}

QStringList QMvCard::findCategories2(QStringView card) {
    return outerCardExtras(card).categories;
}

void QMvCard::decodeVCardCustomItems(QStringView card, QMPerson &person) {
    addCustomItems(outerCardExtras(card).extensions, person);
}

std::shared_ptr<ContainerTable> QMvCard::containersFromVCards(const QString &text, QString *,
                                                              const ProgressHandler &progressHandler,
                                                              VCardLeftOut *leftOut) const {
    ContainerRecord container = fileContainer();
    const SharedGroup all = container.groups.first();
    CategoryGroups categories(container);
    VCardLeftOut skipped;

    const QStringView whole(text);
    CardCutter cutter(whole);
    qsizetype cursor = 0;
    while (whole.size() - cursor >= beginMarker.size()) {
        const auto range = cutter.next(cursor);
        if (!range)
            break;
        QByteArray data = whole.sliced(range->begin, range->end - range->begin).toUtf8();
        if (!range->closed) {
            if (!data.endsWith('\n') && !data.endsWith('\r'))
                data += "\r\n";
            data += "END:VCARD\r\n";
        }
        VCardReadDetails details;
        auto persons = QMPerson::personsWithVCardData(data, &details);
        skipped.photos += details.photosLeftOut;
        skipped.nestedCards += details.nestedCardsLeftOut;
        if (persons.empty() || (!range->closed && !holdsAName(*persons.back())))
            ++skipped.cards;
        else
            // Cards come in the order they end: the card's own contact is the last.
            for (size_t i = 0; i < persons.size(); ++i) {
                std::shared_ptr<QMPerson> person(std::move(persons[i]));
                const VCardExtras &extras = details.extras[qsizetype(i)];
                skipped.customItems += addCustomItems(extras.extensions, *person);
                ContactEntry entry = ContactEntry::withPerson(person);
                entry.isNew = true;
                for (const SharedGroup &group : categories.groupsFor(extras.categories))
                    group->contactTable->append(entry);
                all->contactTable->append(std::move(entry));
            }

        cursor = range->end;
        if (progressHandler) {
            bool stop = false;
            progressHandler(&stop, quint64(cursor));
            if (stop)
                return nullptr;
        }
    }

    sortGroups(container);
    if (leftOut)
        *leftOut = skipped;
    return std::make_shared<ContainerTable>(ContainerTable{container});
}

SharedContactTable QMvCard::contactsInContainer(const ContainerRecord &container) {
    if (container.name != VCardContainerName || container.groups.isEmpty())
        return nullptr;
    return container.groups.first()->contactTable;
}

SharedContactTable QMvCard::contactsForGroup(const GroupRecord &group, const ContainerRecord &container) {
    if (container.name != VCardContainerName)
        return nullptr;
    for (const SharedGroup &candidate : container.groups)
        if (candidate->uniqueId == group.uniqueId)
            return candidate->contactTable;
    return nullptr;
}
