#include "contacts_table/SubContactRows.h"

#include "model/QMPerson.h"
#include "model/ViewTypes.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/core/Dispatch.h"
#include "platform/core/Log.h"
#include "state/SharedSettings.h"

#include <QDate>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <thread>

namespace SubContactRows {

namespace {

const QStringList &addressPartIdentifiers() {
    static const QStringList parts = {FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street,
                                      FieldId::Country};
    return parts;
}

QString dictionaryText(const FieldValue &value) {
    if (const auto *name = value.get<NameRecord>())
        return name->stringValue;
    if (const auto *phonetic = value.get<PhoneticNameRecord>())
        return phonetic->stringValue;
    if (const auto *birthday = value.get<BirthdayRecord>())
        return birthday->stringValue;
    return value.text();
}

qint64 lineCount(const QString &text) {
    return text.isEmpty() ? 0 : text.count(QLatin1Char('\n')) + 1;
}

// What one shown column holds for one contact, fetched once for all its rows: the value
// list of a multi-valued column (and the address part it shows), or the line count of a
// text that every row of the contact shows.
struct ColumnSource {
    QString identifier;
    std::optional<LabeledValueList> values;
    QString addressPart;
    qint64 lines = 0;

    qint64 linesAt(qsizetype position) const {
        if (!values)
            return lines;
        if (position >= values->size())
            return 0;
        const LabeledValueRecord &value = values->at(position);
        if (addressPart.isEmpty())
            return lineCount(value.stringValue);
        const QString *part = value.addressPart(addressPart);
        return part ? lineCount(*part) : 0;
    }
};

ColumnSource columnSource(QMPerson &person, const QString &identifier,
                          const QList<CustomItemDefinition> &customItems) {
    ColumnSource source;
    source.identifier = identifier;
    if (addressPartIdentifiers().contains(identifier)) {
        source.values = person.labeledValueForIdentifier(FieldId::Address);
        source.addressPart = identifier;
        return source;
    }
    const QString type = person.typeForIdentifier(identifier, customItems);
    if (type == ValueKind::Labeled)
        source.values = person.labeledValueForIdentifier(identifier);
    else if (type == ValueKind::Dictionary)
        source.lines = lineCount(dictionaryText(person.valueForIdentifier(identifier)));
    else if (type == ValueKind::String)
        source.lines = lineCount(person.stringValueForIdentifier(identifier));
    return source;
}

struct SortValue {
    enum Kind { Empty, Text, Date };
    Kind kind = Empty;
    QString folded;
    DateComponents date;
};

SortValue textValue(const QString &text) {
    if (text.isEmpty())
        return {};
    return {SortValue::Text, text.toCaseFolded(), {}};
}

SortValue dateValue(const std::optional<DateComponents> &date) {
    if (!date)
        return {};
    return {SortValue::Date, {}, *date};
}

QString joined(const QString &first, const QString &second) {
    return !first.isEmpty() && !second.isEmpty() ? first + second : first;
}

SortValue sortValueFor(SubContactRow &row, const QString &identifier, const QString &key,
                       const QStringList &selectedLabels, const QList<CustomItemDefinition> &customItems) {
    QMPerson &person = *row.person;
    // The built-in fields first: their kinds never depend on the contact.
    if (identifier == FieldId::Name) {
        if (key != FieldId::FirstName && key != FieldId::LastName)
            return textValue(person.compositeName());
        if (!person.showAsPerson())
            return textValue(person.stringValueForIdentifier(FieldId::Company));
        const NameRecord name = person.nameValue();
        return textValue(key == FieldId::FirstName ? joined(name.firstName, name.lastName)
                                                   : joined(name.lastName, name.firstName));
    }
    if (identifier == FieldId::PhoneticName) {
        const auto phonetic = person.phoneticNameValue();
        if (!phonetic)
            return {};
        if (key == QLatin1String("stringValue"))
            return textValue(phonetic->stringValue);
        if (key == FieldId::PhoneticFirstName)
            return textValue(phonetic->firstName + phonetic->lastName);
        if (key == FieldId::PhoneticLastName)
            return textValue(phonetic->lastName + phonetic->firstName);
        return {};
    }
    if (identifier == FieldId::Birthday) {
        const auto birthday = person.birthdayValue();
        return dateValue(birthday ? birthday->value : std::nullopt);
    }
    if (identifier == FieldId::Dates || person.typeForIdentifier(identifier, customItems) == ValueKind::Labeled) {
        // Only the row's value is made.
        const auto found = person.labeledValueForIdentifier(identifier, qsizetype(row.labelIndex));
        if (!found)
            return {};
        const LabeledValueRecord &value = *found;
        if (!SharedSettings::labelPasses(selectedLabels, value.label))
            return {};
        if (identifier == FieldId::Dates && key != QLatin1String("label"))
            return dateValue(value.dateValue);
        return textValue(value.textForKey(key));
    }
    return textValue(person.valueForIdentifier(identifier).text());
}

QDate calendarDate(const DateComponents &c) {
    // A date without a year falls in year 1, as the calendar makes it.
    return QDate(c.hasYear() ? c.year : 1, c.month == DateComponents::Undefined ? 1 : c.month,
                 c.day == DateComponents::Undefined ? 1 : c.day);
}

// Negative, zero or positive as a sorts before, with or after b; empties last either way.
int compareSortValues(const SortValue &a, const SortValue &b, bool ascending) {
    if (a.kind == SortValue::Date || b.kind == SortValue::Date) {
        return compareDateComponents(a.kind == SortValue::Date ? std::optional(a.date) : std::nullopt,
                                     b.kind == SortValue::Date ? std::optional(b.date) : std::nullopt,
                                     ascending);
    }
    const bool aEmpty = a.kind == SortValue::Empty;
    const bool bEmpty = b.kind == SortValue::Empty;
    if (aEmpty || bEmpty)
        return aEmpty == bEmpty ? 0 : (aEmpty ? 1 : -1);
    const int order = a.folded.compare(b.folded);
    return ascending ? order : -order;
}

// One slice of the contact table and its rows. The hand-over uses the standard library's
// lock, which ThreadSanitizer sees (Qt's own locks are not instrumented here).
struct Slice {
    qsizetype begin = 0;
    qsizetype end = 0;
    SubContactTable rows;
    std::atomic<bool> cancelled{false};

    void finish() {
        {
            const std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
    }
    bool waitUntil(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        return done_.wait_until(lock, deadline, [this] { return finished_; });
    }
    void wait() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return finished_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
};

bool inBuildOrder(const SubContactRow &a, const SubContactRow &b) {
    return a.contactPosition != b.contactPosition ? a.contactPosition < b.contactPosition
                                                  : a.labelIndex < b.labelIndex;
}

// A row's place in a sort: the first sixteen UTF-16 units of its text value, packed so that
// the integers compare as the texts do, its length up to seventeen, and its build order,
// which breaks ties. Only texts that share their first sixteen units and go on need the
// texts themselves.
struct SortEntry {
    std::array<quint64, 4> prefix{};
    quint64 buildOrder = 0;
    quint32 index = 0;
    quint8 length = 0;
    bool text = false;
};
constexpr qsizetype prefixUnits = 16;

SortEntry sortEntry(const SortValue &value, const SubContactRow &row, quint32 index) {
    SortEntry entry;
    entry.index = index;
    // No contact has a million values in one field; beyond that the row's index decides.
    entry.buildOrder =
        (quint64(row.contactPosition) << 20) | quint64(std::clamp<qint64>(row.labelIndex, 0, 0xFFFFF));
    entry.text = value.kind == SortValue::Text;
    if (entry.text) {
        const qsizetype length = std::min(value.folded.size(), prefixUnits);
        for (qsizetype i = 0; i < length; ++i)
            entry.prefix[size_t(i / 4)] |= quint64(value.folded.at(i).unicode()) << (16 * (3 - i % 4));
        entry.length = quint8(std::min(value.folded.size(), prefixUnits + 1));
    }
    return entry;
}

// A sort of this many rows is shared among threads; fewer sort faster on one.
constexpr size_t parallelSortRows = 8192;

// Which of `workers` threads reads this contact: always the same one, so a contact is never
// read by two threads at once.
int workerOf(const QMPerson *person, int workers) {
    const quint64 spread = quint64(quintptr(person)) * 0x9E3779B97F4A7C15ull;
    return int((spread >> 32) % quint64(workers));
}

// Sorts `parts` slices on threads of their own, then merges them pairwise.
template <typename Entry, typename Less>
void sortInParts(std::vector<Entry> &order, int parts, const Less &less) {
    std::vector<size_t> bounds(size_t(parts) + 1);
    for (int i = 0; i <= parts; ++i)
        bounds[size_t(i)] = order.size() * size_t(i) / size_t(parts);
    const auto at = [&](int part) {
        return order.begin() + qsizetype(bounds[size_t(std::min(part, parts))]);
    };
    Dispatch::concurrently(parts, [&](int part) { std::sort(at(part), at(part + 1), less); });
    for (int width = 1; width < parts; width *= 2) {
        const int merges = (parts + 2 * width - 1) / (2 * width);
        Dispatch::concurrently(merges, [&](int merge) {
            const int first = merge * 2 * width;
            if (first + width < parts)
                std::inplace_merge(at(first), at(first + width), at(first + 2 * width), less);
        });
    }
}

} // namespace

int workerCount() {
    return Dispatch::concurrentPartCount();
}

SubContactTable createSubContactsFromContact(const ContactEntry &entry, const BuildContext &context) {
    QMPerson &person = *entry.person;
    // Kept on the stack: this runs once per contact, on every rebuild.
    QVarLengthArray<ColumnSource, 8> sources;
    sources.reserve(context.identifiers.size());
    QVarLengthArray<bool, 16> hasRow(1, true);
    for (const QString &identifier : context.identifiers) {
        sources.append(columnSource(person, identifier, context.customItems));
        const auto &values = sources.last().values;
        if (identifier == FieldId::Name || !values)
            continue;
        for (qsizetype k = 0; k < values->size(); ++k) {
            if (SharedSettings::labelPasses(context.selectedLabels, values->at(k).label)) {
                if (k >= hasRow.size())
                    hasRow.resize(k + 1, false);
                hasRow[k] = true;
            }
        }
    }
    const bool twoLineName = context.showCompanyInNameCell && !person.nameValue().stringValue.isEmpty() &&
                             !person.stringValueForIdentifier(FieldId::Company).isEmpty();
    SubContactTable rows;
    rows.reserve(size_t(std::count(hasRow.begin(), hasRow.end(), true)));
    for (qsizetype position = 0; position < hasRow.size(); ++position) {
        if (!hasRow[position])
            continue;
        auto row = std::make_shared<SubContactRow>();
        row->person = entry.person;
        row->uniqueId = person.uniqueId();
        row->labelIndex = position;
        row->twoLineName = twoLineName;
        // Lines of the tallest cell; a note counts for at most five, a later column may
        // still count more.
        qint64 n = 1;
        for (const ColumnSource &source : std::as_const(sources)) {
            n = std::max(n, source.linesAt(position));
            if (source.identifier == FieldId::Note && n >= 5)
                n = 5;
        }
        row->textLines = n;
        rows.push_back(std::move(row));
    }
    return rows;
}

SubContactTable buildRows(const ContactTable &table, const BuildContext &context, int deadlineMilliseconds,
                          bool *complete) {
    const qsizetype n = table.size();
    const int count = workerCount();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMilliseconds);
    // Threads of their own for each build: the shared pool may be busy reading or writing
    // files, and standard threads let ThreadSanitizer see the hand-over.
    std::vector<std::shared_ptr<Slice>> slices(static_cast<size_t>(count));
    std::vector<std::thread> workers(static_cast<size_t>(count));
    // Read once: a row's name needs the sort order, and the preferences have one lock.
    const CNContactsUserDefaults::Snapshot defaults = CNContactsUserDefaults::sharedDefaults().snapshot();
    for (int i = 0; i < count; ++i) {
        auto slice = std::make_shared<Slice>();
        slice->begin = n * i / count;
        slice->end = n * (i + 1) / count;
        slices[size_t(i)] = slice;
        if (slice->begin == slice->end) {
            slice->finish();
            continue;
        }
        workers[size_t(i)] = std::thread([slice, &table, &context, &defaults] {
            const CNContactsUserDefaults::Scope settings(defaults);
            for (qsizetype index = slice->begin; index < slice->end && !slice->cancelled.load(); ++index) {
                const ContactEntry &entry = table[index];
                if (entry.deleted || !entry.person)
                    continue;
                SubContactTable rows = createSubContactsFromContact(entry, context);
                for (const SubContactRowPtr &row : rows)
                    row->contactPosition = index;
                slice->rows.insert(slice->rows.end(), std::make_move_iterator(rows.begin()),
                                   std::make_move_iterator(rows.end()));
            }
            slice->finish();
        });
    }
    SubContactTable rows;
    bool allDone = true;
    for (const std::shared_ptr<Slice> &each : slices) {
        Slice &slice = *each;
        if (!slice.waitUntil(deadline)) {
            // The slice must stop reading contacts before the main thread goes on.
            slice.cancelled.store(true);
            slice.wait();
            logError("updateSubContactTableForIdentifiers",
                     QStringLiteral("rows of contacts %1 to %2 left out: building passed its deadline")
                         .arg(slice.begin)
                         .arg(slice.end - 1));
            allDone = false;
            continue;
        }
        rows.insert(rows.end(), std::make_move_iterator(slice.rows.begin()),
                    std::make_move_iterator(slice.rows.end()));
    }
    for (std::thread &worker : workers) {
        if (worker.joinable())
            worker.join();
    }
    if (complete)
        *complete = allDone;
    return rows;
}

int compareDateComponents(const std::optional<DateComponents> &a, const std::optional<DateComponents> &b,
                          bool ascending) {
    if (a && b) {
        const qint64 x = calendarDate(*a).toJulianDay();
        const qint64 y = calendarDate(*b).toJulianDay();
        const int order = x < y ? -1 : (x > y ? 1 : 0);
        return ascending ? order : -order;
    }
    if (a)
        return -1;
    if (b)
        return 1;
    return 0;
}

std::vector<size_t> markContinuationRows(SubContactTable &rows) {
    std::vector<size_t> changed;
    for (size_t i = 0; i < rows.size(); ++i) {
        SubContactRow &row = *rows[i];
        const bool notFirstRow = i > 0 && rows[i - 1]->person == row.person;
        const qint64 numLines = std::max(row.textLines, qint64(row.twoLineName && !notFirstRow ? 2 : 1));
        if (notFirstRow != row.notFirstRow || numLines != row.numLines)
            changed.push_back(i);
        row.notFirstRow = notFirstRow;
        row.numLines = numLines;
    }
    return changed;
}

void sortSubContactTable(SubContactTable &rows, const std::optional<SortDescriptor> &descriptor,
                         const QStringList &selectedLabels, const QList<CustomItemDefinition> &customItems) {
    if (descriptor && rows.size() > 1) {
        // Named, not a structured binding: clang before 16 cannot capture those in a lambda.
        const auto parts = SortOptions::separateSortKeyIntoIdentifierAndKey(descriptor->key);
        const QString &identifier = parts.first;
        const QString &key = parts.second;
        const size_t n = rows.size();
        const int workers = n >= parallelSortRows ? workerCount() : 1;
        // Each row's value is computed once per sort, each contact's values on one thread
        // only. A value that is the contact's, not the row's, is computed once per contact.
        const bool perContact = identifier == FieldId::Name || identifier == FieldId::PhoneticName ||
                                identifier == FieldId::Birthday;
        std::vector<SortValue> values(n);
        std::vector<SortEntry> order(n);
        Dispatch::concurrently(workers, [&](int worker) {
            const QMPerson *last = nullptr;
            size_t lastAt = 0;
            for (size_t i = 0; i < n; ++i) {
                SubContactRow &row = *rows[i];
                const QMPerson *person = row.person.get();
                if (workerOf(person, workers) != worker)
                    continue;
                values[i] = perContact && person == last
                                ? values[lastAt]
                                : sortValueFor(row, identifier, key, selectedLabels, customItems);
                order[i] = sortEntry(values[i], row, quint32(i));
                last = person;
                lastAt = i;
            }
        });
        const bool ascending = descriptor->ascending;
        sortInParts(order, workers, [&](const SortEntry &a, const SortEntry &b) {
            // Most texts differ in their first characters, held in the entries themselves, or
            // are no longer than those.
            const bool texts = a.text && b.text;
            if (texts && a.prefix != b.prefix)
                return ascending ? a.prefix < b.prefix : b.prefix < a.prefix;
            if (texts && std::min(a.length, b.length) <= prefixUnits) {
                if (a.length != b.length)
                    return ascending ? a.length < b.length : b.length < a.length;
            } else {
                const int byValue = compareSortValues(values[a.index], values[b.index], ascending);
                if (byValue != 0)
                    return byValue < 0;
            }
            return a.buildOrder != b.buildOrder ? a.buildOrder < b.buildOrder : a.index < b.index;
        });
        SubContactTable sorted;
        sorted.reserve(n);
        for (const SortEntry &entry : order)
            sorted.push_back(std::move(rows[entry.index]));
        rows.swap(sorted);
    }
    markContinuationRows(rows);
}

size_t sortedPlace(const SubContactTable &rows, SubContactRow &row,
                   const std::optional<SortDescriptor> &descriptor, const QStringList &selectedLabels,
                   const QList<CustomItemDefinition> &customItems) {
    if (!descriptor) {
        return size_t(std::upper_bound(rows.begin(), rows.end(), &row,
                                       [](const SubContactRow *a, const SubContactRowPtr &b) {
                                           return inBuildOrder(*a, *b);
                                       }) -
                      rows.begin());
    }
    // Only the rows the search visits get a sort value.
    // Named, not a structured binding: clang before 16 cannot capture those in a lambda.
    const auto parts = SortOptions::separateSortKeyIntoIdentifierAndKey(descriptor->key);
    const QString &identifier = parts.first;
    const QString &key = parts.second;
    const SortValue value = sortValueFor(row, identifier, key, selectedLabels, customItems);
    const bool ascending = descriptor->ascending;
    const auto after = std::upper_bound(
        rows.begin(), rows.end(), &row, [&](const SubContactRow *, const SubContactRowPtr &other) {
            const int order = compareSortValues(
                value, sortValueFor(*other, identifier, key, selectedLabels, customItems), ascending);
            return order != 0 ? order < 0 : inBuildOrder(row, *other);
        });
    return size_t(after - rows.begin());
}

} // namespace SubContactRows
