// vCard text into containers: cutting the text into cards, their categories and X- lines.
#include "model/QMvCard.h"

#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/VCardSyntax.h"
#include "platform/core/Localization.h"

#include <QDateTime>
#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

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

// Where the marker starts on the line, or -1. A marker line may begin with a byte-order
// mark (files joined end to end) and, between cards, with blanks; inside a card a line that
// begins with a blank continues the line before it.
qsizetype markerAt(QStringView text, qsizetype line, QLatin1StringView marker, bool blanksFirst) {
    qsizetype at = line;
    if (at < text.size() && text[at] == QChar(0xFEFF))
        ++at;
    while (blanksFirst && at < text.size() && isBlank(text[at]))
        ++at;
    if (!startsWithIgnoringCase(text, at, marker))
        return -1;
    for (qsizetype i = at + marker.size(); i < text.size() && !isNewline(text[i].unicode()); ++i)
        if (!isBlank(text[i]))
            return -1;
    return at;
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

    qsizetype markerAt(qsizetype line, QLatin1StringView marker, bool blanksFirst) const {
        return ::markerAt(text_, line, marker, blanksFirst);
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
            // A group's X-ABLabel may be a framework label ("_$!<Other>!$_"): its word is the label,
            // trimmed as every label of an item is.
            record.label = line.label && !line.label->isEmpty()
                               ? VCardSyntax::trimmed(QMPerson::labelFromCNLabel(line.label))
                               : QString();
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

// One card as a reading thread left it: its contacts, custom items added, with their
// categories, or nothing when the card is left out.
struct ReadCard {
    std::vector<std::unique_ptr<QMPerson>> persons;
    QList<QStringList> categories; // per contact
    qsizetype photosLeftOut = 0;
    qsizetype nestedCardsLeftOut = 0;
    qsizetype customItemsLeftOut = 0;
    QStringList linesLeftOut;
    QStringList parametersLeftOut;
    std::optional<QString> incompleteName; // a card kept without END:VCARD
    bool leftOut = false;
};

// The names not yet in the list, in order.
void appendNew(QStringList &names, const QStringList &more) {
    for (const QString &name : more)
        if (!names.contains(name))
            names.append(name);
}

ReadCard readCard(QStringView whole, const CardCutter::Card &range) {
    QByteArray data = whole.sliced(range.begin, range.end - range.begin).toUtf8();
    if (!range.closed) {
        if (!data.endsWith('\n') && !data.endsWith('\r'))
            data += "\r\n";
        data += "END:VCARD\r\n";
    }
    VCardReadDetails details;
    ReadCard card;
    card.persons = QMPerson::personsWithVCardData(data, &details);
    card.photosLeftOut = details.photosLeftOut;
    card.nestedCardsLeftOut = details.nestedCardsLeftOut;
    if (card.persons.empty() || (!range.closed && !holdsAName(*card.persons.back()))) {
        card.persons.clear();
        card.leftOut = true;
        return card;
    }
    if (!range.closed)
        card.incompleteName = card.persons.back()->compositeName();
    for (size_t i = 0; i < card.persons.size(); ++i) {
        VCardExtras &extras = details.extras[qsizetype(i)];
        card.customItemsLeftOut += addCustomItems(extras.extensions, *card.persons[i]);
        card.categories.append(std::move(extras.categories));
        appendNew(card.linesLeftOut, extras.leftOut);
        appendNew(card.parametersLeftOut, extras.leftOutParameters);
    }
    return card;
}

// A run of consecutive cards, read by one thread; the labels its records register wait
// for the batch's turn, so that the label tables grow in file order.
struct CardBatch {
    std::vector<CardCutter::Card> ranges;
    std::vector<ReadCard> read;
    QMPerson::DeferredLabels labels;
    bool done = false; // under ParallelReading::mutex
};

// The batches of one text, cut by the calling thread, read by it and by helper threads,
// and joined by the caller in file order.
struct ParallelReading {
    explicit ParallelReading(QStringView text)
        : text(text)
        , defaults(CNContactsUserDefaults::sharedDefaults().snapshot()) {}

    const QStringView text;
    // Every record of the reading takes the settings as they were when it began.
    const CNContactsUserDefaults::Snapshot defaults;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::unique_ptr<CardBatch>> batches;
    size_t unclaimed = 0;  // the first batch no thread has taken
    bool cutting = true;
    std::atomic<bool> stopped = false;

    void read(CardBatch &batch) {
        const QMPerson::DeferredLabels::Scope deferring(batch.labels);
        const CNContactsUserDefaults::Scope settings(defaults);
        batch.read.reserve(batch.ranges.size());
        for (const CardCutter::Card &range : batch.ranges) {
            if (stopped.load(std::memory_order_relaxed))
                break;
            batch.read.push_back(readCard(text, range));
        }
    }

    void help() {
        std::unique_lock lock(mutex);
        while (!stopped.load(std::memory_order_relaxed)) {
            if (unclaimed < batches.size()) {
                CardBatch &batch = *batches[unclaimed++];
                lock.unlock();
                read(batch);
                lock.lock();
                batch.done = true;
                changed.notify_all();
            } else if (cutting) {
                changed.wait(lock);
            } else {
                return;
            }
        }
    }

    void add(std::unique_ptr<CardBatch> batch) {
        const std::lock_guard lock(mutex);
        batches.push_back(std::move(batch));
        changed.notify_all();
    }

    void finishCutting() {
        const std::lock_guard lock(mutex);
        cutting = false;
        changed.notify_all();
    }

    // The batch once read. Waiting, the caller reads it itself when no helper has taken
    // it, so a busy pool never holds the reading up; else nullptr while it is not read.
    CardBatch *await(size_t index, bool wait) {
        std::unique_lock lock(mutex);
        CardBatch &batch = *batches[index];
        if (wait && unclaimed == index) {
            ++unclaimed;
            lock.unlock();
            read(batch);
            lock.lock();
            batch.done = true;
            return &batch;
        }
        if (wait)
            changed.wait(lock, [&] { return batch.done; });
        return batch.done ? &batch : nullptr;
    }

    size_t batchCount() {
        const std::lock_guard lock(mutex);
        return batches.size();
    }
};

// A batch is cut at the first card end past this many UTF-16 units (about 500 cards of
// a typical file): enough to share the work evenly, few enough to keep waiting short.
constexpr qsizetype BatchLength = 128 * 1024;

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

bool QMvCard::isVCardText(QStringView text) {
    qsizetype at = 0;
    while (at < text.size() && (text[at].isSpace() || text[at] == QChar(0xFEFF)))
        ++at;
    return markerAt(text, at, beginMarker, true) >= 0;
}

std::shared_ptr<ContainerTable> QMvCard::containersFromVCards(const QString &text, QString *,
                                                              const ProgressHandler &progressHandler,
                                                              VCardLeftOut *leftOut) const {
    ContainerRecord container = fileContainer();
    const SharedGroup all = container.groups.first();
    CategoryGroups categories(container);
    VCardLeftOut skipped;

    // Cards are independent: they are read in batches on several threads, and joined here
    // in file order, so groups, order and progress are those of a reading on one thread.
    // Helpers are threads of their own, as the table's row builders: the shared pool may
    // be busy, and standard threads let ThreadSanitizer see the hand-over.
    ParallelReading reading(text);
    const int threads = readingThreads_ > 0 ? readingThreads_ : QThread::idealThreadCount();
    std::vector<std::thread> helpers;
    // They leave at the end of the text, or at their next card once stopped.
    const auto finish = qScopeGuard([&] {
        reading.finishCutting();
        for (std::thread &helper : helpers)
            helper.join();
    });
    size_t joined = 0;
    const auto join = [&](CardBatch &batch) {
        batch.labels.registerAll();
        for (size_t k = 0; k < batch.read.size(); ++k) {
            ReadCard &card = batch.read[k];
            skipped.photos += card.photosLeftOut;
            skipped.nestedCards += card.nestedCardsLeftOut;
            skipped.customItems += card.customItemsLeftOut;
            appendNew(skipped.lines, card.linesLeftOut);
            appendNew(skipped.parameters, card.parametersLeftOut);
            if (card.incompleteName)
                skipped.incompleteCards.append(*card.incompleteName);
            if (card.leftOut)
                ++skipped.cards;
            // Cards come in the order they end: the card's own contact is the last.
            for (size_t i = 0; i < card.persons.size(); ++i) {
                ContactEntry entry = ContactEntry::withPerson(std::shared_ptr<QMPerson>(std::move(card.persons[i])));
                entry.isNew = true;
                for (const SharedGroup &group : categories.groupsFor(card.categories[qsizetype(i)]))
                    group->contactTable->append(entry);
                all->contactTable->append(std::move(entry));
            }
            if (progressHandler) {
                bool stop = false;
                progressHandler(&stop, quint64(batch.ranges[k].end));
                if (stop)
                    return false;
            }
        }
        std::vector<ReadCard>().swap(batch.read);
        std::vector<CardCutter::Card>().swap(batch.ranges);
        return true;
    };
    const auto stop = [&] {
        reading.stopped = true;
        return nullptr;
    };

    const QStringView whole(text);
    CardCutter cutter(whole);
    qsizetype cursor = 0;
    auto batch = std::make_unique<CardBatch>();
    qsizetype batchStart = 0;
    while (whole.size() - cursor >= beginMarker.size()) {
        const auto range = cutter.next(cursor);
        if (!range)
            break;
        batch->ranges.push_back(*range);
        cursor = range->end;
        if (cursor - batchStart < BatchLength)
            continue;
        reading.add(std::exchange(batch, std::make_unique<CardBatch>()));
        batchStart = cursor;
        if (helpers.empty() && threads > 1 && reading.batchCount() > 1)
            for (int i = 1; i < threads; ++i)
                helpers.emplace_back([&reading] { reading.help(); });
        // Whatever the helpers finished is joined meanwhile, so progress moves at once.
        while (joined < reading.batchCount())
            if (CardBatch *read = reading.await(joined, false)) {
                ++joined;
                if (!join(*read))
                    return stop();
            } else {
                break;
            }
    }
    if (!batch->ranges.empty())
        reading.add(std::move(batch));
    reading.finishCutting();
    for (; joined < reading.batchCount(); ++joined)
        if (!join(*reading.await(joined, true)))
            return stop();

    // The tables grew by doubling: the room they kept would stay as long as the document.
    for (const SharedGroup &group : std::as_const(container.groups))
        group->contactTable->squeeze();
    sortGroups(container);
    skipped.lines.sort();
    skipped.parameters.sort();
    if (leftOut)
        *leftOut = skipped;
    return std::make_shared<ContainerTable>(ContainerTable{container});
}

void QMvCard::forgetIdentitiesHeldIn(const ContactTable &incoming, const ContainerTable &document) {
    QSet<QString> uids;
    QSet<QString> abUids;
    for (const ContainerRecord &container : document)
        for (const SharedGroup &group : container.groups) {
            if (!group->top)
                continue;
            for (const ContactEntry &entry : std::as_const(*group->contactTable)) {
                if (entry.deleted || !entry.person)
                    continue;
                const CNCardIdentity &identity = entry.person->cardIdentity();
                if (!identity.uid.isEmpty())
                    uids.insert(identity.uid);
                if (!identity.abUid.isEmpty())
                    abUids.insert(identity.abUid);
            }
        }
    for (const ContactEntry &entry : incoming) {
        if (!entry.person)
            continue;
        const CNCardIdentity &identity = entry.person->cardIdentity();
        if (uids.contains(identity.uid) || abUids.contains(identity.abUid))
            entry.person->setCardIdentity({});
    }
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
