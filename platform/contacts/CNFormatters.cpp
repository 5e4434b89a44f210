#include "platform/contacts/CNFormatters.h"

#include "platform/core/UserDefaults.h"

#include <QLocale>
#include <QStringList>
#include <mutex>

#include <memory>
#include <utility>
#include <vector>

const QString CNContactsUserDefaults::countryCodeKey = QStringLiteral("ContactsCountryCode");
const QString CNContactsUserDefaults::sortOrderKey = QStringLiteral("ContactsSortOrder");

CNContactsUserDefaults &CNContactsUserDefaults::sharedDefaults() {
    static CNContactsUserDefaults defaults;
    return defaults;
}

namespace {
thread_local const CNContactsUserDefaults::Snapshot *scopedDefaults = nullptr;

bool isCjkLanguage(QLocale::Language language) {
    return language == QLocale::Japanese || language == QLocale::Chinese || language == QLocale::Korean;
}
} // namespace

CNContactsUserDefaults::Scope::Scope(const Snapshot &snapshot)
    : snapshot_(snapshot)
    , outer_(std::exchange(scopedDefaults, &snapshot_)) {}

CNContactsUserDefaults::Scope::~Scope() { scopedDefaults = outer_; }

QString CNContactsUserDefaults::countryCode() const {
    if (scopedDefaults)
        return scopedDefaults->countryCode;
    const QString stored = UserDefaults::standard().stringForKey(countryCodeKey);
    if (!stored.isEmpty())
        return stored.toUpper();
    const QString code = QLocale::territoryToCode(QLocale::system().territory());
    return code.isEmpty() ? QStringLiteral("US") : code.toUpper();
}

void CNContactsUserDefaults::setCountryCode(const QString &code) {
    UserDefaults::standard().setObject(code.toUpper(), countryCodeKey);
}

CNContactSortOrder CNContactsUserDefaults::sortOrder() const {
    if (scopedDefaults)
        return scopedDefaults->sortOrder;
    const QVariant stored = UserDefaults::standard().object(sortOrderKey);
    bool ok = false;
    const int value = stored.toInt(&ok);
    if (stored.isValid() && ok && value >= 0 && value <= 3)
        return CNContactSortOrder(value);
    return isCjkLanguage(QLocale::system().language()) ? CNContactSortOrder::FamilyName
                                                       : CNContactSortOrder::GivenName;
}

void CNContactsUserDefaults::setSortOrder(CNContactSortOrder order) {
    UserDefaults::standard().setInteger(int(order), sortOrderKey);
}

namespace {
bool isWrittenInCjk(const QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        switch (QChar::script(c)) {
        case QChar::Script_Han:
        case QChar::Script_Hiragana:
        case QChar::Script_Katakana:
        case QChar::Script_Hangul:
            return true;
        default:
            break;
        }
    }
    return false;
}

bool familyNameFirst(const CNContact &contact, CNContactSortOrder userSortOrder) {
    switch (CNContactFormatter::nameOrderForContact(contact)) {
    case CNContactDisplayNameOrder::FamilyNameFirst:
        return true;
    case CNContactDisplayNameOrder::GivenNameFirst:
        return false;
    case CNContactDisplayNameOrder::UserDefault:
        break;
    }
    return userSortOrder == CNContactSortOrder::FamilyName;
}

QString joinNonEmpty(std::initializer_list<const QString *> parts) {
    QString result;
    for (const QString *part : parts) {
        if (part->isEmpty())
            continue;
        if (!result.isEmpty())
            result += QLatin1Char(' ');
        result += *part;
    }
    return result;
}
} // namespace

CNContactDisplayNameOrder CNContactFormatter::nameOrderForContact(const CNContact &contact) {
    if (isWrittenInCjk(contact.familyName) || isWrittenInCjk(contact.givenName) ||
        isWrittenInCjk(contact.middleName))
        return CNContactDisplayNameOrder::FamilyNameFirst;
    return CNContactDisplayNameOrder::UserDefault;
}

QString CNContactFormatter::stringFromContact(const CNContact &contact, CNContactFormatterStyle style) {
    return stringFromContact(contact, style, CNContactsUserDefaults::sharedDefaults().sortOrder());
}

QString CNContactFormatter::stringFromContact(const CNContact &contact, CNContactFormatterStyle style,
                                              CNContactSortOrder userSortOrder) {
    const bool familyFirst = familyNameFirst(contact, userSortOrder);
    if (style == CNContactFormatterStyle::PhoneticFullName) {
        return familyFirst ? joinNonEmpty({&contact.phoneticFamilyName, &contact.phoneticMiddleName,
                                           &contact.phoneticGivenName})
                           : joinNonEmpty({&contact.phoneticGivenName, &contact.phoneticMiddleName,
                                           &contact.phoneticFamilyName});
    }
    if (contact.contactType == CNContactType::Organization && !contact.organizationName.isEmpty())
        return contact.organizationName;
    return familyFirst ? joinNonEmpty({&contact.namePrefix, &contact.familyName, &contact.middleName,
                                       &contact.givenName, &contact.nameSuffix})
                       : joinNonEmpty({&contact.namePrefix, &contact.givenName, &contact.middleName,
                                       &contact.familyName, &contact.nameSuffix});
}

namespace {
std::mutex providerMutex;
std::shared_ptr<const CNPostalAddressFormatter::FormatProvider> formatProvider;
} // namespace

void CNPostalAddressFormatter::setFormatProvider(FormatProvider provider) {
    auto shared = provider ? std::make_shared<const FormatProvider>(std::move(provider)) : nullptr;
    std::lock_guard lock(providerMutex);
    formatProvider = std::move(shared);
}

QString CNPostalAddressFormatter::defaultFormat() {
    return QStringLiteral("Street\nCity State ZIP\nCountry");
}

QString CNPostalAddressFormatter::stringFromPostalAddress(const CNPostalAddress &address,
                                                          CNPostalAddressFormatterStyle) {
    QString code = address.isoCountryCode.toUpper();
    if (code.isEmpty())
        code = CNContactsUserDefaults::sharedDefaults().countryCode();
    std::shared_ptr<const FormatProvider> provider;
    {
        std::lock_guard lock(providerMutex);
        provider = formatProvider;
    }
    QString format = provider ? (*provider)(code) : QString();
    if (format.trimmed().isEmpty())
        format = defaultFormat();
    return stringFromPostalAddress(address, format);
}

namespace {

// A format as lines of part members; parts it does not name are left out.
using ParsedFormat = std::vector<std::vector<QString CNPostalAddress::*>>;

ParsedFormat parseFormat(const QString &format) {
    QString cleaned = format;
    cleaned.remove(QChar(0x200E));
    cleaned.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    cleaned.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    ParsedFormat parsed;
    for (const QString &line : cleaned.split(QLatin1Char('\n'))) {
        std::vector<QString CNPostalAddress::*> members;
        for (const QString &name : QString(line)
                                       .replace(QLatin1Char('\t'), QLatin1Char(' '))
                                       .split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString token = name.trimmed();
            QString CNPostalAddress::*member = token == QLatin1String("Street")  ? &CNPostalAddress::street
                                               : token == QLatin1String("City")  ? &CNPostalAddress::city
                                               : token == QLatin1String("State") ? &CNPostalAddress::state
                                               : token == QLatin1String("ZIP") ? &CNPostalAddress::postalCode
                                               : token == QLatin1String("Country") ? &CNPostalAddress::country
                                                                                   : nullptr;
            if (member)
                members.push_back(member);
        }
        parsed.push_back(std::move(members));
    }
    return parsed;
}

// Reading a file formats every address, nearly always with the format of the one before.
const ParsedFormat &parsedFormat(const QString &format) {
    thread_local QString lastFormat;
    thread_local ParsedFormat last;
    if (lastFormat.isNull() || lastFormat != format) {
        last = parseFormat(format);
        lastFormat = format.isNull() ? QLatin1String("") : format;
    }
    return last;
}

} // namespace

QString CNPostalAddressFormatter::stringFromPostalAddress(const CNPostalAddress &address,
                                                          const QString &format) {
    QString text;
    bool lineWritten = false;
    for (const auto &line : parsedFormat(format)) {
        bool partWritten = false;
        for (QString CNPostalAddress::*member : line) {
            const QString &part = address.*member;
            if (part.trimmed().isEmpty())
                continue;
            if (partWritten)
                text += QLatin1Char(' ');
            else if (lineWritten)
                text += QLatin1Char('\n');
            text += part;
            partWritten = true;
            lineWritten = true;
        }
    }
    return text;
}
