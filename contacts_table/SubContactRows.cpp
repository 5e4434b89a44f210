#include "contacts_table/SubContactRows.h"

#include "model/QMPerson.h"
#include "model/ViewTypes.h"
#include "platform/contacts/CNFormatters.h"
#include "state/SharedSettings.h"
#include "platform/core/Log.h"

#include <QDate>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
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

} // namespace

SubContactTable createSubContactsFromContact(const ContactEntry &entry, const BuildContext &context) {
    QMPerson &person = *entry.person;
    QList<ColumnSource> sources;
    sources.reserve(context.identifiers.size());
    std::set<qint64> positions = {0};
    for (const QString &identifier : context.identifiers) {
        sources.append(columnSource(person, identifier, context.customItems));
        const auto &values = sources.last().values;
        if (identifier == FieldId::Name || !values)
            continue;
        for (qsizetype k = 0; k < values->size(); ++k) {
            if (SharedSettings::labelPasses(context.selectedLabels, values->at(k).label))
                positions.insert(k);
        }
    }
    const bool twoLineName = context.showCompanyInNameCell && !person.nameValue().stringValue.isEmpty() &&
                             !person.stringValueForIdentifier(FieldId::Company).isEmpty();
    SubContactTable rows;
    rows.reserve(positions.size());
    for (const qint64 position : positions) {
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
    const qsizetype q = n / 4;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMilliseconds);
    // Four threads of their own for each build: the shared pool may be busy reading or
    // writing files, and standard threads let ThreadSanitizer see the hand-over.
    std::array<std::shared_ptr<Slice>, 4> slices;
    std::array<std::thread, 4> workers;
    // Read once: a row's name needs the sort order, and the preferences have one lock.
    const CNContactsUserDefaults::Snapshot defaults = CNContactsUserDefaults::sharedDefaults().snapshot();
    for (int i = 0; i < 4; ++i) {
        auto slice = std::make_shared<Slice>();
        slice->begin = q * i;
        slice->end = i == 3 ? n : q * (i + 1);
        slices[i] = slice;
        if (slice->begin == slice->end) {
            slice->finish();
            continue;
        }
        workers[i] = std::thread([slice, &table, &context, &defaults] {
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
    for (int i = 0; i < 4; ++i) {
        Slice &slice = *slices[i];
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
    if (descriptor) {
        const auto [identifier, key] = SortOptions::separateSortKeyIntoIdentifierAndKey(descriptor->key);
        // Each row's value is computed once per sort.
        std::vector<std::pair<SortValue, SubContactRowPtr>> keyed;
        keyed.reserve(rows.size());
        for (SubContactRowPtr &row : rows)
            keyed.emplace_back(sortValueFor(*row, identifier, key, selectedLabels, customItems),
                               std::move(row));
        const bool ascending = descriptor->ascending;
        std::sort(keyed.begin(), keyed.end(), [ascending](const auto &a, const auto &b) {
            const int order = compareSortValues(a.first, b.first, ascending);
            return order != 0 ? order < 0 : inBuildOrder(*a.second, *b.second);
        });
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = std::move(keyed[i].second);
    }
    markContinuationRows(rows);
}

size_t sortedPlace(const SubContactTable &rows, SubContactRow &row, const std::optional<SortDescriptor> &descriptor,
                   const QStringList &selectedLabels, const QList<CustomItemDefinition> &customItems) {
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
    const auto after = std::upper_bound(rows.begin(), rows.end(), &row,
                                        [&](const SubContactRow *, const SubContactRowPtr &other) {
                                            const int order = compareSortValues(
                                                value,
                                                sortValueFor(*other, identifier, key, selectedLabels,
                                                             customItems),
                                                ascending);
                                            return order != 0 ? order < 0 : inBuildOrder(row, *other);
                                        });
    return size_t(after - rows.begin());
}

} // namespace SubContactRows
