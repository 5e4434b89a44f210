// Postal addresses: the address-format table, the address normaliser, country prediction
// and find's part ranges.
#include "model/QMPerson.h"

#include "platform/contacts/CNFormatters.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"
#include "platform/core/Resources.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>

#include <unicode/uloc.h>

#include <memory>
#include <mutex>

namespace {

// The table is read by row-building threads while the main thread may merge a user's
// file: it is an immutable snapshot, replaced whole.
struct AddressFormats {
    QList<AddressFormatEntry> table;
    QHash<QString, AddressFormatEntry> dict;
};

std::mutex snapshotMutex;
std::shared_ptr<const AddressFormats> currentSnapshot;

// C and POSIX are English here, as everywhere else: no localized country names are added.
QString userLanguage() {
    const QStringList languages = oneEntryPerLanguage(QLocale::system().uiLanguages());
    return languages.isEmpty() ? QStringLiteral("US") : languages.first().left(2);
}

QString userTerritory() {
    return QLocale::territoryToCode(QLocale().territory());
}

std::shared_ptr<const AddressFormats> loadBundledTable() {
    auto formats = std::make_shared<AddressFormats>();
    const QJsonDocument document =
        QJsonDocument::fromJson(Resources::read(QStringLiteral(":/data/AddressFormat.json")));
    formats->table = QMPerson::addressFormatEntriesFromJson(
        document.object().value(QLatin1String("AddressFormat")).toArray(), userLanguage(), userTerritory());
    for (const AddressFormatEntry &entry : std::as_const(formats->table))
        formats->dict.insert(entry.countryCode, entry);
    return formats;
}

std::shared_ptr<const AddressFormats> snapshot() {
    static const bool loaded = [] {
        auto bundled = loadBundledTable();
        {
            std::lock_guard lock(snapshotMutex);
            currentSnapshot = std::move(bundled);
        }
        CNPostalAddressFormatter::setFormatProvider([](const QString &code) {
            const auto formats = snapshot();
            return formats->dict.value(code).formatString;
        });
        return true;
    }();
    Q_UNUSED(loaded);
    std::lock_guard lock(snapshotMutex);
    return currentSnapshot;
}

void replaceSnapshot(std::shared_ptr<const AddressFormats> formats) {
    snapshot(); // the bundled table first, so it never overwrites a merge
    std::lock_guard lock(snapshotMutex);
    currentSnapshot = std::move(formats);
}

QString displayCountry(const QString &code, const QString &localeId) {
    UErrorCode status = U_ZERO_ERROR;
    UChar buffer[256];
    const QByteArray country = "_" + code.toLatin1();
    const int32_t length =
        uloc_getDisplayCountry(country.constData(), localeId.toLatin1().constData(), buffer, 256, &status);
    if (U_FAILURE(status) || length <= 0)
        return {};
    const QString name = QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), length);
    // ICU answers the code itself when it has no name for it.
    return name == code ? QString() : name;
}

QStringList stringList(const QJsonValue &value) {
    QStringList list;
    for (const QJsonValue &item : value.toArray())
        list.append(item.toString());
    return list;
}

const AddressFormatEntry *entryFor(const AddressFormats &formats, const QString &countryCode) {
    const auto entry = formats.dict.constFind(countryCode.toUpper());
    return entry == formats.dict.constEnd() ? nullptr : &*entry;
}

// Reading a file asks for the same code address after address: each thread keeps its
// last answer, with the snapshot it came from (held, so the entry stays valid).
const AddressFormatEntry *lastEntryFor(const std::shared_ptr<const AddressFormats> &formats,
                                       const QString &countryCode) {
    thread_local std::shared_ptr<const AddressFormats> lastFormats;
    thread_local QString lastCode;
    thread_local const AddressFormatEntry *lastEntry = nullptr;
    if (formats != lastFormats || countryCode != lastCode || lastCode.isNull()) {
        lastEntry = entryFor(*formats, countryCode);
        lastFormats = formats;
        lastCode = countryCode.isNull() ? QLatin1String("") : countryCode;
    }
    return lastEntry;
}

// The part names in writing order; the default order for a country without an entry or
// whose format names nothing.
const QStringList &partOrder(const AddressFormatEntry *entry) {
    static const QStringList defaultOrder = {FieldId::Street, FieldId::City, FieldId::State, FieldId::ZIP,
                                             FieldId::Country};
    if (entry && std::any_of(entry->order.cbegin(), entry->order.cend(),
                             [](const QString &i) { return !i.isEmpty(); }))
        return entry->order;
    return defaultOrder;
}

// The code first, then the part names in writing order.
QStringList orderFromEntry(const QString &countryCode, const AddressFormatEntry *entry) {
    return QStringList{countryCode} + partOrder(entry);
}

QString resolvedCountryCode(const LabeledValueRecord &record, std::optional<QString> *predicted) {
    QString code = record.isoCountryCode;
    if (code.isEmpty() && !record.country.isEmpty()) {
        code = QMPerson::predictCountryCode(record.country.toUpper());
        if (predicted)
            *predicted = code;
    }
    if (code.isEmpty())
        code = CNContactsUserDefaults::sharedDefaults().countryCode().toUpper();
    return code;
}

} // namespace

QList<AddressFormatEntry> QMPerson::addressFormatEntriesFromJson(const QJsonArray &entries,
                                                                 const QString &language,
                                                                 const QString &territory) {
    static const QRegularExpression whiteSpace(QStringLiteral("\\s"));
    const QString localeId = language + QLatin1Char('_') + territory;
    QList<AddressFormatEntry> result;
    for (const QJsonValue &value : entries) {
        const QJsonObject object = value.toObject();
        const QString code = object.value(QLatin1String("CountryCode")).toString().toUpper();
        if (!value.isObject() || code.isEmpty()) {
            logError("+[QMPerson setAddressFormatTable:]",
                     QStringLiteral("entry without CountryCode skipped"));
            continue;
        }
        AddressFormatEntry entry;
        entry.countryCode = code;
        entry.country = object.value(QLatin1String("Country")).toString();
        entry.alpha3 = object.value(QLatin1String("Alpha3")).toString();
        entry.formatString = object.value(QLatin1String("formatString")).toString();
        entry.states = stringList(object.value(QLatin1String("States")));
        entry.stateCodes = stringList(object.value(QLatin1String("StateCodes")));
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (it.key().startsWith(QLatin1String("States.")))
                entry.localizedStates.insert(it.key().mid(7), stringList(it.value()));
        }
        if (language != QLatin1String("en")) {
            const QString name = displayCountry(code, localeId);
            if (!name.isEmpty()) {
                entry.localizedCountry = name;
                entry.localizedCountries.insert(language, name);
            }
        }
        entry.order = QString(entry.formatString).remove(QChar(0x200E)).split(whiteSpace);
        result.append(entry);
    }
    return result;
}

QList<AddressFormatEntry> QMPerson::addressFormatTable() {
    return snapshot()->table;
}

QHash<QString, AddressFormatEntry> QMPerson::addressFormatDict() {
    return snapshot()->dict;
}

void QMPerson::setAddressFormatTable(const QJsonArray &entries) {
    const auto old = snapshot();
    auto merged = std::make_shared<AddressFormats>(*old);
    QStringList codes;
    for (const AddressFormatEntry &entry : std::as_const(old->table))
        codes.append(entry.countryCode);
    for (const AddressFormatEntry &entry :
         addressFormatEntriesFromJson(entries, userLanguage(), userTerritory())) {
        const qsizetype position = codes.indexOf(entry.countryCode);
        if (position >= 0)
            merged->table[position] = entry;
        merged->dict.insert(entry.countryCode, entry);
    }
    replaceSnapshot(std::move(merged));
}

void QMPerson::setAddressFormatDict(const QHash<QString, AddressFormatEntry> &dict) {
    auto replaced = std::make_shared<AddressFormats>(*snapshot());
    replaced->dict = dict;
    replaceSnapshot(std::move(replaced));
}

QStringList QMPerson::orderOfAddressFormats(const QString &countryCode, const QString &) {
    return orderFromEntry(countryCode, entryFor(*snapshot(), countryCode));
}

QString QMPerson::predictCountryCode(const QString &country) {
    const auto formats = snapshot();
    const auto find = [&](auto matches) -> QString {
        for (const AddressFormatEntry &entry : formats->table)
            if (matches(entry))
                return entry.countryCode;
        return {};
    };
    QString code = find(
        [&](const AddressFormatEntry &e) { return e.country.compare(country, Qt::CaseInsensitive) == 0; });
    if (code.isEmpty())
        code = find([&](const AddressFormatEntry &e) { return e.countryCode == country; });
    if (code.isEmpty())
        code = find([&](const AddressFormatEntry &e) { return !e.alpha3.isEmpty() && e.alpha3 == country; });
    if (code.isEmpty() && country == QStringLiteral("日本"))
        code = QStringLiteral("JP");
    if (code.isEmpty() && country.toLower() == QStringLiteral("française"))
        code = QStringLiteral("FR");
    if (code.isEmpty())
        code = find([&](const AddressFormatEntry &e) {
            return e.localizedCountry && e.localizedCountry->compare(country, Qt::CaseInsensitive) == 0;
        });
    return code;
}

void QMPerson::updateAddressValue(LabeledValueRecord &record, bool withCountry) {
    if (record.labelText().isEmpty())
        record.label = NoLabel;
    const QString code = resolvedCountryCode(record, &record.predictCountryCode);
    const auto formats = snapshot();
    const AddressFormatEntry *entry = lastEntryFor(formats, code);

    CNPostalAddress address;
    address.street = record.street;
    address.city = record.city;
    address.state = record.state;
    address.postalCode = record.zip;
    address.isoCountryCode = code;
    address.country = withCountry ? record.country : QString();
    // The same format the formatter's provider gives, without looking it up again.
    const bool hasFormat = entry && !entry->formatString.trimmed().isEmpty();
    record.formattedString = CNPostalAddressFormatter::stringFromPostalAddress(
        address, hasFormat ? entry->formatString : CNPostalAddressFormatter::defaultFormat());

    QString shown;
    for (const QString &name : partOrder(entry)) {
        if (name == FieldId::Country && !withCountry)
            continue;
        const QString *part = addressIdentifiers().contains(name) ? record.addressPart(name) : nullptr;
        if (!part || part->isEmpty())
            continue;
        if (!shown.isEmpty())
            shown += QLatin1Char(' ');
        shown += *part;
    }
    record.stringValue = shown.isEmpty() ? record.formattedString : shown;
}

QList<AddressPartRange> QMPerson::rangeTableFromAddressLabeledValue(const LabeledValueRecord &record) {
    const QStringList order = orderOfAddressFormats(resolvedCountryCode(record, nullptr), record.country);
    // Find matches in the shown text: no range reaches past it.
    const qsizetype textLength = record.stringValue.size();
    QList<AddressPartRange> ranges;
    qsizetype location = 0;
    for (qsizetype i = 1; i < order.size(); ++i) {
        const QString *part =
            addressIdentifiers().contains(order[i]) ? record.addressPart(order[i]) : nullptr;
        const QString text = part && !part->isEmpty() ? *part + QLatin1Char(' ') : QString();
        AddressPartRange range;
        range.identifier = order[i];
        range.value = text;
        range.location = std::min(location, textLength);
        range.length = std::min(text.size(), textLength - range.location);
        ranges.append(range);
        location += text.size();
    }
    return ranges;
}
