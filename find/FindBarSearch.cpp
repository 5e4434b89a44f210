#include "find/FindBarSearch.h"

#include "contacts_table/RowValueNumber.h"
#include "find/FindWorkers.h"
#include "model/QMPerson.h"

namespace {

bool isBackwards(FindDirection direction) {
    return direction == FindDirection::Previous;
}

// A range in a cell seen from a part starting at `start`; a range not found stays so.
TextRange relativeTo(const TextRange &range, qsizetype start) {
    return range.isFound() ? TextRange{range.location - start, range.length} : range;
}

const QStringList &detailNameParts() {
    static const QStringList parts = {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName,
                                      FieldId::PreviousFamilyName};
    return parts;
}

const QStringList &detailPhoneticParts() {
    static const QStringList parts = {FieldId::FirstName, FieldId::MiddleName, FieldId::LastName};
    return parts;
}

// The getter's key of a phonetic part ("FirstName" is "Phonetic FirstName").
QString phoneticKey(const QString &part) {
    return QStringLiteral("Phonetic ") + part;
}

// The first position of the list whose value has the running number; none when no value has it.
std::optional<qsizetype> positionOf(const LabeledValueList &list, qint64 labelIndex) {
    const qsizetype at = QMPerson::findLabeledValue(list, labelIndex);
    if (at < 0 || at >= list.size())
        return std::nullopt;
    return at;
}

// The hit of the earliest of `count` steps: chunks of steps are searched on the find window's
// workers while this thread waits (`search` reads contacts only); a chunk after one that has a
// hit stops.
std::optional<FindTarget>
earliestHit(qsizetype count, const std::function<std::optional<FindTarget>(qsizetype step)> &search) {
    std::vector<std::optional<FindTarget>> hits(size_t(FindWorkers::chunkCount(count)));
    std::atomic<qsizetype> earliest{qsizetype(hits.size())};
    const auto searchChunk = [&](qsizetype begin, qsizetype end) {
        const qsizetype chunk = begin / FindWorkers::chunkSize;
        if (chunk > earliest.load())
            return;
        for (qsizetype k = begin; k < end; ++k) {
            if (auto hit = search(k)) {
                hits[size_t(chunk)] = std::move(hit);
                qsizetype seen = earliest.load();
                while (chunk < seen && !earliest.compare_exchange_weak(seen, chunk)) {
                }
                return;
            }
        }
    };
    if (hits.size() <= 1)
        searchChunk(0, count);
    else
        FindWorkers::forEachChunk(count, searchChunk);
    for (std::optional<FindTarget> &hit : hits)
        if (hit)
            return std::move(hit);
    return std::nullopt;
}

} // namespace

FindTextParts joinedNameParts(const QString &shown, const FindTextPart &first, const FindTextPart &last,
                              bool lastFirst) {
    if (first.text.isEmpty() && last.text.isEmpty())
        return {};
    if (first.text.isEmpty() || last.text.isEmpty()) {
        FindTextPart only = first.text.isEmpty() ? last : first;
        only.start = 0;
        return {only};
    }
    FindTextPart a = lastFirst ? last : first;
    FindTextPart b = lastFirst ? first : last;
    // The record's order and the shown text can disagree (the system's order changed since the
    // contact was read): the shown text is what the ranges must fit.
    const auto joins = [&shown](const QString &left, const QString &right) {
        return shown.size() == left.size() + 1 + right.size() && shown.startsWith(left) &&
               shown.at(left.size()) == QLatin1Char(' ') && shown.endsWith(right);
    };
    if (!joins(a.text, b.text) && joins(b.text, a.text))
        std::swap(a, b);
    a.start = 0;
    b.start = a.text.size() + 1;
    return {a, b};
}

FindTextParts instantMessageParts(const LabeledValueRecord &value) {
    if (value.stringValue.isEmpty())
        return {};
    const QString service = value.service + QLatin1Char(':');
    const QString user = value.username.value_or(QString());
    return {{CNInstantMessageAddressServiceKey, service, 0},
            {CNInstantMessageAddressUsernameKey, user, service.size()}};
}

FindBarSearch::FindBarSearch(const QString &findString, Qt::CaseSensitivity caseSensitivity)
    : findString_(findString)
    , cs_(caseSensitivity) {}

TextRange FindBarSearch::lookForString(const QString &findString, const QString &text, const TextRange &range,
                                       Qt::CaseSensitivity caseSensitivity, FindDirection direction) {
    if (text.isEmpty() || findString.isEmpty())
        return {};
    qsizetype at = -1;
    if (isBackwards(direction)) {
        const qsizetype limit =
            range.isFound() ? std::clamp<qsizetype>(range.location, 0, text.size()) : text.size();
        at = QStringView(text).left(limit).lastIndexOf(findString, -1, caseSensitivity);
    } else {
        const qsizetype from = range.isFound() ? std::max<qsizetype>(range.end(), 0) : 0;
        if (range.isFound() && from >= text.size())
            return {};
        at = QStringView(text).indexOf(findString, from, caseSensitivity);
    }
    return at < 0 ? TextRange{} : TextRange{at, findString.size()};
}

FindTarget FindBarSearch::startTarget(const FindBarScope &scope) {
    FindTarget target;
    target.identifier = FieldId::Name;
    target.range = {0, 0};
    if (scope.rows && !scope.rows->empty()) {
        const SubContactRow &first = *scope.rows->front();
        target.contact = first.person;
        target.uniqueId = first.uniqueId;
    }
    return target;
}

FindBarSearch::CellKind FindBarSearch::cellKind(const QString &identifier) {
    if (identifier == FieldId::Name)
        return CellKind::Name;
    if (identifier == FieldId::PhoneticName)
        return CellKind::PhoneticName;
    if (identifier == FieldId::Address)
        return CellKind::Address;
    if (QMPerson::addressIdentifiers().contains(identifier))
        return CellKind::AddressPart;
    if (identifier == FieldId::InstantMessage)
        return CellKind::InstantMessage;
    if (identifier == FieldId::Dates || identifier == FieldId::Birthday || identifier == FieldId::Photo)
        return CellKind::Never;
    if (QMPerson::labeledIdentifiers().contains(identifier))
        return CellKind::Labeled;
    if (QMPerson::stringIdentifiers().contains(identifier))
        return CellKind::Text;
    return CellKind::ByContact;
}

FindBarSearch::CellKind FindBarSearch::kindFor(CellKind columnKind, QMPerson &person,
                                               const QString &identifier,
                                               const QList<CustomItemDefinition> &customItems) const {
    if (columnKind != CellKind::ByContact)
        return columnKind;
    const QString kind = person.typeForIdentifier(identifier, customItems);
    if (kind == ValueKind::Labeled)
        return CellKind::Labeled;
    if (kind == ValueKind::String)
        return CellKind::Text;
    return CellKind::Never;
}

std::optional<FindTarget> FindBarSearch::findInCell(QMPerson &person, const QString &identifier,
                                                    const QString &subIdentifier, qint64 labelIndex,
                                                    const TextRange &range, bool inDetail,
                                                    FindDirection direction,
                                                    const QList<CustomItemDefinition> &customItems) const {
    const CellKind kind = kindFor(cellKind(identifier), person, identifier, customItems);
    std::optional<LabeledValueList> list;
    const LabeledValueRecord *value = nullptr;
    if (kind == CellKind::Address || kind == CellKind::AddressPart || kind == CellKind::InstantMessage ||
        kind == CellKind::Labeled) {
        list =
            person.labeledValueForIdentifier(kind == CellKind::AddressPart ? FieldId::Address : identifier);
        if (!list)
            return std::nullopt;
        const auto at = positionOf(*list, labelIndex);
        if (!at)
            return std::nullopt;
        value = &list->at(*at);
    }
    return searchCell(person, identifier, kind, value, labelIndex, subIdentifier, range, inDetail, direction);
}

// A cell whose parts show side by side (a joined name, an instant message): from the part the
// current match is in, then part by part, each after a miss searched whole.
std::optional<FindBarSearch::PartHit> FindBarSearch::searchParts(const FindTextParts &parts,
                                                                 const QString &subIdentifier,
                                                                 TextRange range,
                                                                 FindDirection direction) const {
    if (parts.isEmpty())
        return std::nullopt;
    const bool backwards = isBackwards(direction);
    qsizetype start = -1;
    if (!subIdentifier.isEmpty()) {
        for (qsizetype i = 0; i < parts.size() && start < 0; ++i)
            if (parts.at(i).key == subIdentifier)
                start = i;
        // A part this cell does not show: the position is not in this cell.
        if (start < 0)
            range = {};
    }
    if (start < 0)
        start = backwards ? parts.size() - 1 : 0;
    for (qsizetype i = start; i >= 0 && i < parts.size(); i += backwards ? -1 : 1) {
        const FindTextPart &part = parts.at(i);
        TextRange relative = relativeTo(range, part.start);
        range = {};
        if (relative.isFound() && relative.location < 0) {
            // Before the part: forwards nothing of it comes before the position; backwards
            // all of it does... as far as a search from its end goes.
            if (!backwards)
                continue;
            relative = {};
        }
        const TextRange found = lookForString(findString_, part.text, relative, cs_, direction);
        if (found.isFound())
            return PartHit{{part.start + found.location, found.length}, found, part.key};
    }
    return std::nullopt;
}

// Parts shown in rows of their own (the detail panel's name rows): from the row of the
// current match, each later row searched whole.
std::optional<FindBarSearch::PartHit> FindBarSearch::searchRows(const FindTextParts &rows,
                                                                const QString &subIdentifier, TextRange range,
                                                                FindDirection direction) const {
    const bool backwards = isBackwards(direction);
    qsizetype start = -1;
    for (qsizetype i = 0; i < rows.size() && start < 0; ++i)
        if (rows.at(i).key == subIdentifier)
            start = i;
    if (start < 0) {
        start = backwards ? rows.size() - 1 : 0;
        if (!subIdentifier.isEmpty())
            range = {};
    }
    for (qsizetype i = start; i >= 0 && i < rows.size(); i += backwards ? -1 : 1) {
        const TextRange found = lookForString(findString_, rows.at(i).text, range, cs_, direction);
        if (found.isFound())
            return PartHit{found, found, rows.at(i).key};
        range = {};
    }
    return std::nullopt;
}

// An address: its parts in the order of its shown text. While the position is in the
// address, only the part holding it is searched; after a miss every later part is
// searched whole.
std::optional<FindBarSearch::PartHit> FindBarSearch::searchAddress(const LabeledValueRecord &address,
                                                                   TextRange range,
                                                                   FindDirection direction) const {
    const bool backwards = isBackwards(direction);
    const QList<AddressPartRange> parts = QMPerson::rangeTableFromAddressLabeledValue(address);
    for (qsizetype n = 0; n < parts.size(); ++n) {
        const AddressPartRange &part = parts.at(backwards ? parts.size() - 1 - n : n);
        const qsizetype end = part.location + part.length;
        if (range.isFound()) {
            const bool holds = backwards ? part.location <= range.location && range.location < end
                                         : part.location <= range.location && range.end() <= end;
            if (!holds)
                continue;
        }
        const TextRange found = lookForString(findString_, part.value.left(part.length),
                                              relativeTo(range, part.location), cs_, direction);
        if (found.isFound())
            return PartHit{{part.location + found.location, found.length}, found, part.identifier};
        range = {};
    }
    return std::nullopt;
}

std::optional<FindTarget> FindBarSearch::searchCell(QMPerson &person, const QString &identifier,
                                                    CellKind kind, const LabeledValueRecord *value,
                                                    qint64 labelIndex, const QString &subIdentifier,
                                                    const TextRange &range, bool inDetail,
                                                    FindDirection direction) const {
    std::optional<PartHit> found;
    // A hit in a whole value has no part; a company in the name cell keeps the position's.
    const auto whole = [&](const QString &text, const QString &part = QString()) {
        const TextRange at = lookForString(findString_, text, range, cs_, direction);
        if (at.isFound())
            found = PartHit{at, {}, part};
    };
    switch (kind) {
    // Names are read through getters that change nothing: the table's walk reads contacts
    // on several threads at once.
    case CellKind::Name:
    case CellKind::PhoneticName: {
        const bool name = kind == CellKind::Name;
        const auto part = [&person](const QString &key) { return person.valueForIdentifier(key).text(); };
        if (inDetail) {
            FindTextParts rows;
            for (const QString &key : name ? detailNameParts() : detailPhoneticParts())
                rows.append({key, part(name ? key : phoneticKey(key)), 0});
            found = searchRows(rows, subIdentifier, range, direction);
        } else if (name && !person.showAsPerson()) {
            whole(person.stringValueForIdentifier(FieldId::Company), subIdentifier);
        } else {
            // Most cells hold no hit: the shown name says so before it is split.
            const QString shown = name ? person.stringValueForIdentifier(FieldId::Name)
                                       : person.phoneticName().value_or(QString());
            if (!shown.contains(findString_, cs_))
                break;
            const qint64 ordering = person.nameOrdering();
            const bool lastFirst =
                ordering == 2 || (name && ordering == 0 && person.defaultNameOrdering() == 2);
            found = searchParts(
                joinedNameParts(
                    shown,
                    {FieldId::FirstName, part(name ? FieldId::FirstName : FieldId::PhoneticFirstName), 0},
                    {FieldId::LastName, part(name ? FieldId::LastName : FieldId::PhoneticLastName), 0},
                    lastFirst),
                subIdentifier, range, direction);
        }
        break;
    }
    case CellKind::Address:
        if (value && value->stringValue.contains(findString_, cs_))
            found = searchAddress(*value, range, direction);
        break;
    case CellKind::AddressPart:
        if (const QString *part = value ? value->addressPart(identifier) : nullptr) {
            // The position must be in the part's text: ending in it forwards, starting in it
            // backwards.
            const bool inText =
                isBackwards(direction) ? range.location < part->size() : range.end() <= part->size();
            if (!range.isFound() || inText)
                whole(*part);
        }
        break;
    case CellKind::InstantMessage:
        if (value) {
            // Forwards from the service unless the position is in the user name; backwards
            // from the user name unless it is in the service.
            QString start = subIdentifier;
            if (start != CNInstantMessageAddressUsernameKey && start != CNInstantMessageAddressServiceKey)
                start = isBackwards(direction) ? CNInstantMessageAddressUsernameKey
                                               : CNInstantMessageAddressServiceKey;
            found = searchParts(instantMessageParts(*value), start, range, direction);
        }
        break;
    case CellKind::Labeled:
        if (value)
            whole(value->stringValue);
        break;
    case CellKind::Text:
        whole(person.stringValueForIdentifier(identifier));
        break;
    case CellKind::Never:
    case CellKind::ByContact:
        break;
    }
    if (!found)
        return std::nullopt;
    FindTarget target;
    target.uniqueId = person.uniqueId();
    target.identifier = identifier;
    target.subIdentifier = found->part;
    target.labelIndex = labelIndex;
    target.range = found->range;
    if (found->itemRange.length > 0)
        target.itemRange = found->itemRange;
    return target;
}

std::optional<FindTarget> FindBarSearch::find(const FindTarget &current, const FindBarScope &scope,
                                              FindDirection direction) const {
    if (findString_.isEmpty())
        return std::nullopt;
    return scope.detailShown ? walkDetail(current, scope, direction) : walkTable(current, scope, direction);
}

bool FindBarSearch::isMultiValued(CellKind kind) {
    return kind == CellKind::Address || kind == CellKind::AddressPart || kind == CellKind::InstantMessage ||
           kind == CellKind::Labeled;
}

// One row's cells in the walk's column order from `fromColumn`; `position` places the first
// cell's search, none searches each cell whole.
std::optional<FindTarget> FindBarSearch::searchRow(const SubContactRow &row, const QList<CellKind> &kinds,
                                                   const FindBarScope &scope, qsizetype fromColumn,
                                                   const FindTarget *position,
                                                   FindDirection direction) const {
    QMPerson &person = *row.person;
    const qsizetype step = isBackwards(direction) ? -1 : 1;
    for (qsizetype c = fromColumn; c >= 0 && c < kinds.size(); c += step, position = nullptr) {
        const QString &identifier = scope.columns.at(c);
        const CellKind kind = kindFor(kinds.at(c), person, identifier, scope.customItems);
        const QString sub = position ? position->subIdentifier : QString();
        const TextRange range = position ? position->range : TextRange{};
        std::optional<FindTarget> hit;
        if (!isMultiValued(kind)) {
            // Single values show on a contact's first row only.
            if (row.labelIndex != 0)
                continue;
            hit = searchCell(person, identifier, kind, nullptr, row.labelIndex, sub, range, false, direction);
        } else {
            const std::optional<LabeledValueList> list = person.labeledValueForIdentifier(
                kind == CellKind::AddressPart ? FieldId::Address : identifier);
            if (!list || row.labelIndex >= list->size())
                continue;
            const LabeledValueRecord &value = list->at(qsizetype(row.labelIndex));
            if (scope.labelShown && !scope.labelShown(value.label))
                continue;
            hit =
                searchCell(person, identifier, kind, &value, value.labelIndex, sub, range, false, direction);
        }
        if (hit) {
            hit->contact = row.person;
            return hit;
        }
    }
    return std::nullopt;
}

// The rest of the current match's row, then every row in the shown order from the next one,
// round past the last (the first, backwards) to the current row again, whose cells before the
// match come last. The rows after the current one are searched on the find window's workers,
// which read the contacts while this thread waits; the hit of the earliest row wins.
std::optional<FindTarget> FindBarSearch::walkTable(const FindTarget &current, const FindBarScope &scope,
                                                   FindDirection direction) const {
    if (!scope.rows || scope.rows->empty() || scope.columns.isEmpty())
        return std::nullopt;
    const SubContactTable &rows = *scope.rows;
    const qsizetype count = qsizetype(rows.size());
    const bool backwards = isBackwards(direction);
    QList<CellKind> kinds;
    for (const QString &identifier : scope.columns)
        kinds.append(cellKind(identifier));
    const qsizetype firstColumn = backwards ? kinds.size() - 1 : 0;

    // A match in a column the table does not show gives no place inside the row.
    qsizetype startColumn = scope.columns.indexOf(current.identifier);
    const bool inShownColumn = startColumn >= 0;
    if (!inShownColumn)
        startColumn = firstColumn;
    qsizetype start = 0;
    for (qsizetype r = 0; r < count; ++r) {
        const SubContactRow &row = *rows[size_t(r)];
        if (row.uniqueId == current.uniqueId &&
            rowValueNumber(row, current.identifier, scope.customItems) == current.labelIndex) {
            start = r;
            break;
        }
    }
    if (auto hit = searchRow(*rows[size_t(start)], kinds, scope, startColumn,
                             inShownColumn ? &current : nullptr, direction))
        return hit;

    // Step k of the rest is the k-th row from the current one (k = 1...count, the last being
    // the current row again).
    const auto rowAt = [&](qsizetype k) -> const SubContactRow & {
        const qsizetype r = ((start + (backwards ? -1 - k : 1 + k)) % count + count) % count;
        return *rows[size_t(r)];
    };
    return earliestHit(count, [&](qsizetype k) {
        return searchRow(rowAt(k), kinds, scope, firstColumn, nullptr, direction);
    });
}

// `steps` of a contact's fields in the panel's row order from the field at `start` (round
// past the last, the first backwards), each multi-valued field value by value; `position`
// places the first field's search, none searches each field whole.
std::optional<FindTarget> FindBarSearch::searchFields(const std::shared_ptr<QMPerson> &contact,
                                                      const FindBarScope &scope, qsizetype start,
                                                      qsizetype steps, const FindTarget *position,
                                                      FindDirection direction) const {
    QMPerson &person = *contact;
    const bool backwards = isBackwards(direction);
    const qsizetype count = scope.rowOrder.size();
    for (qsizetype k = 0; k < steps; ++k) {
        const qsizetype at = ((start + (backwards ? -k : k)) % count + count) % count;
        const QString &identifier = scope.rowOrder.at(at);
        const CellKind kind = kindFor(cellKind(identifier), person, identifier, scope.customItems);
        bool positioned = k == 0 && position;
        const auto search = [&](const LabeledValueRecord *value, qint64 labelIndex) {
            auto hit = searchCell(person, identifier, kind, value, labelIndex,
                                  positioned ? position->subIdentifier : QString(),
                                  positioned ? position->range : TextRange{}, true, direction);
            positioned = false;
            if (hit)
                hit->contact = contact;
            return hit;
        };
        if (!isMultiValued(kind)) {
            if (auto hit = search(nullptr, 0))
                return hit;
            continue;
        }
        if (kind == CellKind::AddressPart)
            continue;
        const std::optional<LabeledValueList> list = person.labeledValueForIdentifier(identifier);
        if (!list || list->isEmpty())
            continue;
        const qsizetype last = list->size() - 1;
        qsizetype p = backwards ? last : 0;
        if (positioned) {
            const qsizetype found = QMPerson::findLabeledValue(*list, position->labelIndex);
            if (found >= 0 && found <= last)
                p = found;
        }
        for (; p >= 0 && p <= last; p += backwards ? -1 : 1)
            if (auto hit = search(&list->at(p), list->at(p).labelIndex))
                return hit;
    }
    return std::nullopt;
}

// The shown contact's fields in the panel's row order from the current match's field, each
// multi-valued field value by value; then the fields of the table's other contacts in the
// table's order, round past the last row (the first, backwards) to the shown contact again,
// whose fields before the match come last. Without the table's rows the walk goes round the
// shown contact's fields alone.
std::optional<FindTarget> FindBarSearch::walkDetail(const FindTarget &current, const FindBarScope &scope,
                                                    FindDirection direction) const {
    if (!scope.contact || scope.rowOrder.isEmpty())
        return std::nullopt;
    const bool backwards = isBackwards(direction);
    const qsizetype count = scope.rowOrder.size();
    qsizetype start = scope.rowOrder.indexOf(current.identifier);
    const bool inShownRow = start >= 0;
    if (!inShownRow)
        start = 0;
    const FindTarget *position = inShownRow ? &current : nullptr;
    qsizetype shownRow = -1;
    const qsizetype rowCount = scope.rows ? qsizetype(scope.rows->size()) : 0;
    for (qsizetype r = 0; r < rowCount && shownRow < 0; ++r)
        if ((*scope.rows)[size_t(r)]->person == scope.contact)
            shownRow = r;
    if (shownRow < 0)
        return searchFields(scope.contact, scope, start, count + 1, position, direction);

    if (auto hit = searchFields(scope.contact, scope, start, backwards ? start + 1 : count - start, position,
                                direction))
        return hit;
    // Step k is the contact of the (k + 1)-th row from the shown contact's, each contact at its
    // first row.
    if (auto hit = earliestHit(rowCount - 1, [&](qsizetype k) -> std::optional<FindTarget> {
            const qsizetype step = k + 1;
            const SubContactRow &row = *(*scope.rows)[size_t(
                ((shownRow + (backwards ? -step : step)) % rowCount + rowCount) % rowCount)];
            if (row.notFirstRow || row.person == scope.contact)
                return std::nullopt;
            return searchFields(row.person, scope, backwards ? count - 1 : 0, count, nullptr, direction);
        }))
        return hit;
    return searchFields(scope.contact, scope, backwards ? count - 1 : 0,
                        backwards ? count - start : start + 1, nullptr, direction);
}
