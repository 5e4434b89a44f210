#include "platform/contacts/CNContactVCardSerialization.h"
#include "platform/contacts/CNLabels.h"
#include "platform/contacts/VCardMapping.h"
#include "platform/contacts/VCardSyntax.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"

#include <QHash>
#include <QUrl>

#include <set>
#include <string_view>
#include <vector>

using VCardSyntax::ContentLine;
using VCardSyntax::equalsIgnoringCase;
using VCardSyntax::trimmed;

namespace {

enum class Field { Phone, Email, Url, Address, Relation, Social, InstantMessage, Date, Extension };

enum TypeWord : unsigned {
    Home = 1,
    Work = 2,
    Other = 4,
    Cell = 8,
    Fax = 16,
    Pager = 32,
    IPhone = 64,
    Main = 128,
};

// The TYPE words of a line that name labels, without allocating: this runs for every
// phone, e-mail and address.
// Each word of the line's TYPE parameters, unquoted.
template <typename Visit> void forEachTypeWord(const ContentLine &line, Visit visit) {
    for (const VCardSyntax::Parameter &p : line.parameters) {
        if (!equalsIgnoringCase(p.name, "TYPE"))
            continue;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= p.value.size(); ++i) {
            if (i < p.value.size() && p.value[i] != ',')
                continue;
            QByteArrayView word = p.value.sliced(start, i - start).trimmed();
            if (word.startsWith('"'))
                word = word.sliced(1);
            if (word.endsWith('"'))
                word.chop(1);
            visit(p, word);
            start = i + 1;
        }
    }
}

unsigned typeWords(const ContentLine &line) {
    static const std::pair<QByteArrayView, unsigned> words[] = {
        {"HOME", Home}, {"WORK", Work},   {"OTHER", Other},   {"CELL", Cell}, {"MOBILE", Cell},
        {"FAX", Fax},   {"PAGER", Pager}, {"IPHONE", IPhone}, {"MAIN", Main}};
    unsigned mask = 0;
    forEachTypeWord(line, [&mask](const VCardSyntax::Parameter &, QByteArrayView word) {
        for (const auto &[text, bit] : words)
            if (equalsIgnoringCase(word, text))
                mask |= bit;
    });
    return mask;
}

// Only an encoded value can hold a raw line break; vCard has one kind, the line feed,
// and writes no other back.
QString withLineFeeds(QString text) {
    if (text.contains(QLatin1Char('\r')))
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
            .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

bool startsWithIgnoringCase(QByteArrayView text, QByteArrayView upperCase) {
    return text.size() >= upperCase.size() && equalsIgnoringCase(text.first(upperCase.size()), upperCase);
}

// A label of the user's own as some phones write it, a parameter of a form of its own:
// X-CUSTOM(CHARSET=UTF-8,ENCODING=QUOTED-PRINTABLE,=EC=82=AC), the settings first, the
// label after them. The header's split cuts it at its first "=" (or takes it for a TYPE
// word when it holds none), so it is joined again here.
std::optional<QString> customLabel(const ContentLine &line) {
    static constexpr QByteArrayView opening("X-CUSTOM(");
    for (const VCardSyntax::Parameter &p : line.parameters) {
        QByteArray written;
        if (startsWithIgnoringCase(p.name, opening))
            written = p.name.toByteArray() + '=' + p.value.toByteArray();
        else if (equalsIgnoringCase(p.name, "TYPE") && startsWithIgnoringCase(p.value, opening))
            written = p.value.toByteArray();
        if (!written.endsWith(')'))
            continue;
        QByteArrayView rest = QByteArrayView(written).sliced(opening.size()).chopped(1);
        QByteArrayView charset;
        QByteArrayView encoding;
        for (;;) {
            QByteArrayView *setting = startsWithIgnoringCase(rest, "CHARSET=")    ? &charset
                                      : startsWithIgnoringCase(rest, "ENCODING=") ? &encoding
                                                                                  : nullptr;
            const qsizetype comma = rest.indexOf(',');
            if (!setting || comma < 0)
                break;
            const qsizetype equals = rest.indexOf('=');
            *setting = rest.sliced(equals + 1, comma - equals - 1).trimmed();
            rest = rest.sliced(comma + 1);
        }
        const QByteArray bytes = equalsIgnoringCase(encoding, "QUOTED-PRINTABLE")
                                     ? VCardSyntax::decodeQuotedPrintable(rest)
                                     : rest.toByteArray();
        const QString label = withLineFeeds(trimmed(VCardSyntax::decodeText(bytes, charset)));
        if (!label.isEmpty())
            return label;
    }
    return std::nullopt;
}

// Which framework label the TYPE words of a line stand for, or the label of its own.
std::optional<QString> labelFromTypes(const ContentLine &line, Field field) {
    if (std::optional<QString> label = customLabel(line))
        return label;
    if (field == Field::Relation) {
        static const std::pair<const char *, const QString *> relations[] = {
            {"SPOUSE", &CNLabelContactRelationSpouse},      {"CHILD", &CNLabelContactRelationChild},
            {"PARENT", &CNLabelContactRelationParent},      {"FRIEND", &CNLabelContactRelationFriend},
            {"SWEETHEART", &CNLabelContactRelationPartner}, {"AGENT", &CNLabelContactRelationAssistant}};
        const QList<QByteArray> types = line.parameterValues("TYPE");
        for (const auto &[word, label] : relations)
            if (types.contains(QByteArrayView(word)))
                return *label;
        for (const QByteArray &type : types)
            if (type != "PREF" && !type.startsWith("X-"))
                return VCardSyntax::decodeText(type, {}).toLower();
        return std::nullopt;
    }
    const unsigned types = typeWords(line);
    if (field == Field::Phone) {
        if (types & Fax)
            return (types & Home)   ? CNLabelPhoneNumberHomeFax
                   : (types & Work) ? CNLabelPhoneNumberWorkFax
                                    : CNLabelPhoneNumberOtherFax;
        if (types & Pager)
            return CNLabelPhoneNumberPager;
        if (types & IPhone)
            return CNLabelPhoneNumberiPhone;
        if (types & Cell)
            return CNLabelPhoneNumberMobile;
        if (types & Main)
            return CNLabelPhoneNumberMain;
    }
    if (types & Home)
        return CNLabelHome;
    if (types & Work)
        return CNLabelWork;
    if (types & Other)
        return CNLabelOther;
    return std::nullopt;
}

// The service of an "X-" property name (without "X-") or of an X-SERVICE-TYPE value.
QString serviceFromName(QByteArrayView name) {
    static const std::pair<QByteArrayView, const QString *> names[] = {
        {"AIM", &CNInstantMessageServiceAIM},
        {"FACEBOOK", &CNInstantMessageServiceFacebook},
        {"GADUGADU", &CNInstantMessageServiceGaduGadu},
        {"GOOGLETALK", &CNInstantMessageServiceGoogleTalk},
        {"GOOGLE-TALK", &CNInstantMessageServiceGoogleTalk},
        {"GTALK", &CNInstantMessageServiceGoogleTalk},
        {"ICQ", &CNInstantMessageServiceICQ},
        {"JABBER", &CNInstantMessageServiceJabber},
        {"MSN", &CNInstantMessageServiceMSN},
        {"QQ", &CNInstantMessageServiceQQ},
        {"SKYPE", &CNInstantMessageServiceSkype},
        {"YAHOO", &CNInstantMessageServiceYahoo}};
    for (const auto &[upperName, service] : names)
        if (equalsIgnoringCase(name, upperName))
            return *service;
    return {};
}

QString serviceFromScheme(const QString &scheme) {
    static const QHash<QString, const QString *> schemes = {
        {QStringLiteral("aim"), &CNInstantMessageServiceAIM},
        {QStringLiteral("xmpp"), &CNInstantMessageServiceJabber},
        {QStringLiteral("msnim"), &CNInstantMessageServiceMSN},
        {QStringLiteral("msn"), &CNInstantMessageServiceMSN},
        {QStringLiteral("ymsgr"), &CNInstantMessageServiceYahoo},
        {QStringLiteral("skype"), &CNInstantMessageServiceSkype},
        {QStringLiteral("callto"), &CNInstantMessageServiceSkype},
        {QStringLiteral("icq"), &CNInstantMessageServiceICQ},
        {QStringLiteral("gtalk"), &CNInstantMessageServiceGoogleTalk},
        {QStringLiteral("qq"), &CNInstantMessageServiceQQ},
        {QStringLiteral("gadu"), &CNInstantMessageServiceGaduGadu},
        {QStringLiteral("gg"), &CNInstantMessageServiceGaduGadu},
        {QStringLiteral("fb"), &CNInstantMessageServiceFacebook},
        {QStringLiteral("facebook"), &CNInstantMessageServiceFacebook}};
    const auto found = schemes.constFind(scheme.toLower());
    return found == schemes.constEnd() ? QString() : **found;
}

int number(QStringView digits) {
    bool ok = false;
    const int value = digits.toInt(&ok);
    return ok ? value : -1;
}

// The date forms of BDAY, X-ABDATE and ANNIVERSARY: YYYY-MM-DD, YYYYMMDD, --MMDD,
// --MM-DD, YYYY/MM/DD, with an optional time; year 0000 and an omitted year marked by
// X-APPLE-OMIT-YEAR mean no year.
std::optional<DateComponents> parseDate(QString text, QByteArrayView omitYear) {
    text = trimmed(text);
    const qsizetype t = text.indexOf(QLatin1Char('T'));
    if (t >= 0)
        text.truncate(t);
    bool noYear = false;
    if (text.startsWith(QLatin1String("--"))) {
        noYear = true;
        text.remove(0, 2);
    }
    text.replace(QLatin1Char('/'), QLatin1Char('-')).replace(QLatin1Char('.'), QLatin1Char('-'));
    const QStringList parts = text.split(QLatin1Char('-'));
    DateComponents date;
    if (parts.size() == 1) {
        const QString &d = parts.first();
        if (noYear && d.size() == 4)
            date = DateComponents(DateComponents::Undefined, number(d.first(2)), number(d.sliced(2)));
        else if (!noYear && d.size() == 8)
            date = DateComponents(number(d.first(4)), number(d.sliced(4, 2)), number(d.sliced(6)));
        else
            return std::nullopt;
    } else if (noYear && parts.size() == 2) {
        date = DateComponents(DateComponents::Undefined, number(parts[0]), number(parts[1]));
    } else if (!noYear && parts.size() == 3 && parts[0].size() == 4) {
        date = DateComponents(number(parts[0]), number(parts[1]), number(parts[2]));
    } else {
        return std::nullopt;
    }
    if (date.hasYear() &&
        (date.year == 0 || (!omitYear.isEmpty() && QByteArray::number(date.year) == omitYear)))
        date.year = DateComponents::Undefined;
    if (date.hasYear() && date.year < 0)
        return std::nullopt;
    if (!date.isValidDate())
        return std::nullopt;
    return date;
}

class CardBuilder {
public:
    void apply(const ContentLine &line);
    CNContact finish();
    void setVersion21(bool on) { version21_ = on; }
    VCardExtras takeExtras() { return std::move(extras_); }
    qsizetype photosLeftOut() const { return photosLeftOut_; }

private:
    QString rawText(const ContentLine &line) const;
    QString text(const ContentLine &line) const {
        return version21_ ? rawText(line) : VCardSyntax::unescape(rawText(line));
    }
    QStringList components(const ContentLine &line) const {
        return VCardSyntax::splitStructured(rawText(line), version21_);
    }
    void remember(const ContentLine &line, Field field, qsizetype index);
    void setLabel(Field field, qsizetype index, const QString &label);
    void applyPhoto(const ContentLine &line);
    void applyInstantMessage(const ContentLine &line, QString service, QString username);
    void applySocialProfile(const ContentLine &line);
    void applyExtension(const ContentLine &line);
    // A line whose content no field and no list of the extras takes is named in them.
    void leaveOut(const ContentLine &line);
    // Names the line's property as left out, also when the line itself is empty: it stands
    // for an earlier line of the property whose value it replaced.
    void nameLeftOut(const ContentLine &line);
    // A field a card holds once: a later line replaces an earlier one of another value,
    // which is then named as left out.
    void setOnce(QString &field, QString value, const ContentLine &line);
    // The parameters of a value that nothing takes (an address's formatted label, position
    // and time zone; a type word of the writer's own) are named.
    void leaveOutParameters(const ContentLine &line);

    CNContact contact_;
    VCardExtras extras_;
    qsizetype photosLeftOut_ = 0;
    bool version21_ = false;
    bool nameGiven_ = false; // an N line with a part has been read
    bool phoneticGiven_ = false;
    QString formattedName_;
    struct GroupItem {
        QByteArray group;
        Field field;
        qsizetype index;
    };
    // Group values in the order met; the last one of a group counts.
    using GroupValues = std::vector<std::pair<QByteArray, QString>>;
    static QHash<QByteArray, const QString *> index(const GroupValues &values) {
        QHash<QByteArray, const QString *> byGroup;
        for (const auto &[group, value] : values)
            byGroup.insert(group, &value);
        return byGroup;
    }
    static const QString *find(const GroupValues &values, const QByteArray &group) {
        for (auto it = values.rbegin(); it != values.rend(); ++it)
            if (it->first == group)
                return &it->second;
        return nullptr;
    }
    template <typename Labels, typename Codes> void applyGroupValues(Labels labelOf, Codes codeOf) {
        for (const GroupItem &item : groupItems_) {
            if (const QString *label = labelOf(item.group))
                setLabel(item.field, item.index, *label);
            if (item.field == Field::Address)
                if (const QString *code = codeOf(item.group))
                    contact_.postalAddresses[item.index].value.isoCountryCode = *code;
        }
    }
    std::set<std::pair<QString, QString>> seenInstantMessages_;
    std::vector<GroupItem> groupItems_;
    GroupValues groupLabels_;
    GroupValues groupCountryCodes_;
};

QString CardBuilder::rawText(const ContentLine &line) const {
    const QByteArrayView charset = line.parameter("CHARSET");
    if (line.isQuotedPrintable())
        return withLineFeeds(
            VCardSyntax::decodeText(VCardSyntax::decodeQuotedPrintable(line.value), charset));
    if (line.isBase64()) {
        bool ok = false;
        const QByteArray bytes = VCardSyntax::decodeBase64(line.value, &ok);
        if (ok)
            return withLineFeeds(VCardSyntax::decodeText(bytes, charset));
    }
    return VCardSyntax::decodeText(line.value, charset);
}

void CardBuilder::remember(const ContentLine &line, Field field, qsizetype index) {
    if (!line.group.isEmpty())
        groupItems_.push_back({line.group.toByteArray().toUpper(), field, index});
}

void CardBuilder::setLabel(Field field, qsizetype index, const QString &label) {
    switch (field) {
    case Field::Phone:
        contact_.phoneNumbers[index].label = label;
        break;
    case Field::Email:
        contact_.emailAddresses[index].label = label;
        break;
    case Field::Url:
        contact_.urlAddresses[index].label = label;
        break;
    case Field::Address:
        contact_.postalAddresses[index].label = label;
        break;
    case Field::Relation:
        contact_.contactRelations[index].label = label;
        break;
    case Field::Social:
        break; // the service says what the profile is
    case Field::InstantMessage:
        contact_.instantMessageAddresses[index].label = label;
        break;
    case Field::Date:
        contact_.dates[index].label = label;
        break;
    case Field::Extension:
        // It goes out as the item's TYPE, and reads back as one.
        extras_.extensions[index].label = trimmed(VCardSyntax::parameterText(label));
        break;
    }
}

void CardBuilder::leaveOut(const ContentLine &line) {
    if (!line.value.trimmed().isEmpty()) // else nothing is lost
        nameLeftOut(line);
}

void CardBuilder::nameLeftOut(const ContentLine &line) {
    const QString name = VCardSyntax::decodeText(line.name, {}).toUpper();
    if (!extras_.leftOut.contains(name))
        extras_.leftOut.append(name);
}

void CardBuilder::setOnce(QString &field, QString value, const ContentLine &line) {
    if (!field.isEmpty() && field != value)
        nameLeftOut(line);
    field = std::move(value);
}

void CardBuilder::leaveOutParameters(const ContentLine &line) {
    // Made only for what is named: this runs for every phone, e-mail and address.
    const auto name = [this, &line](QByteArrayView parameter) {
        const QString named = VCardSyntax::decodeText(line.name, {}).toUpper() + u';' +
                              VCardSyntax::decodeText(parameter, {}).toUpper();
        if (!extras_.leftOutParameters.contains(named))
            extras_.leftOutParameters.append(named);
    };
    for (const QByteArrayView parameter : {QByteArrayView("LABEL"), QByteArrayView("GEO"), QByteArrayView("TZ")})
        if (!line.parameterText(parameter).trimmed().isEmpty())
            name(parameter);
    // A type word of the writer's own ("X-NEC-SECRET") is a label no field takes; the
    // X-CUSTOM( form is read as the label.
    forEachTypeWord(line, [&](const VCardSyntax::Parameter &p, QByteArrayView word) {
        if (startsWithIgnoringCase(word, "X-") && word.size() > 2 && !startsWithIgnoringCase(p.value, "X-CUSTOM("))
            name(word);
    });
}

void CardBuilder::applyPhoto(const ContentLine &line) {
    QByteArrayView encoded;
    if (line.isBase64()) {
        encoded = line.value.trimmed();
    } else {
        const QByteArrayView value = line.value.trimmed();
        const qsizetype comma = value.indexOf(',');
        // A photo given by URI is never fetched.
        if (!equalsIgnoringCase(value.first(std::min<qsizetype>(5, value.size())), "DATA:") || comma < 0 ||
            !value.first(comma).toByteArray().toLower().endsWith(";base64"))
            return leaveOut(line);
        encoded = value.sliced(comma + 1);
    }
    if (encoded.isEmpty())
        return;
    // A contact has one photo: the first.
    if (!contact_.imageData.isEmpty())
        return leaveOut(line);
    if (encoded.size() / 4 * 3 > CNContactVCardSerialization::maximumImageDataSize) {
        logError("CNContactVCardSerialization",
                 QStringLiteral("photo of %1 bytes left out").arg(encoded.size()));
        ++photosLeftOut_;
        return;
    }
    bool ok = false;
    QByteArray bytes = VCardSyntax::decodeBase64(encoded, &ok);
    if (ok && !bytes.isEmpty())
        contact_.imageData = std::move(bytes);
    else
        leaveOut(line);
}

void CardBuilder::applyInstantMessage(const ContentLine &line, QString service, QString username) {
    // The same address may be written both as IMPP and as X-service: keep it once.
    if (!seenInstantMessages_.insert({service, username}).second)
        return;
    contact_.instantMessageAddresses.append(
        {labelFromTypes(line, Field::InstantMessage), {username, service}});
    remember(line, Field::InstantMessage, contact_.instantMessageAddresses.size() - 1);
}

void CardBuilder::applySocialProfile(const ContentLine &line) {
    CNSocialProfile profile;
    for (const QByteArray &type : line.parameterValues("TYPE", false))
        if (!equalsIgnoringCase(type, "PREF")) {
            profile.service = VCardSyntax::decodeText(type, {});
            break;
        }
    profile.username = VCardSyntax::decodeText(line.parameterText("X-USER"), {});
    profile.userIdentifier = VCardSyntax::decodeText(line.parameterText("X-USERID"), {});
    const QString value = trimmed(text(line));
    if (value.startsWith(QLatin1String("x-apple:"), Qt::CaseInsensitive)) {
        if (profile.username.isEmpty())
            profile.username = value.sliced(8);
    } else {
        profile.urlString = value;
        if (profile.username.isEmpty() && !line.hasParameter("X-USER")) {
            // The user name is the last part of the URL's path, never its host.
            const QUrl url(value);
            const QStringList path = url.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
            if (url.isValid() && !url.host().isEmpty() && !path.isEmpty())
                profile.username = path.last();
        }
    }
    // A user name taken from the value goes out as the x-user parameter.
    profile.username = VCardSyntax::parameterText(profile.username);
    contact_.socialProfiles.append({std::nullopt, profile});
    remember(line, Field::Social, contact_.socialProfiles.size() - 1);
}

// The extensions this reader takes as fields (or passes over), without "X-": an item
// of such a name would come back as the field after an export.
bool isFieldExtension(const QString &name) {
    static const QStringList fields = [] {
        QStringList names = CNVCardReservedExtensionNames();
        names << QStringLiteral("ABDATE") << QStringLiteral("ABRELATEDNAMES") << QStringLiteral("MAIDENNAME")
              << QStringLiteral("ABLABEL") << QStringLiteral("ABADR") << QStringLiteral("GTALK")
              << QStringLiteral("GOOGLE-TALK");
        return names;
    }();
    return fields.contains(name, Qt::CaseInsensitive);
}

// An X- property that no field takes is the card's extension (a custom item to the
// model). One in a group without a TYPE of its own takes the group's X-ABLabel as its
// label, as the labels of grouped fields do. A field's name left here is a label or a
// country code without its property, which holds nothing of its own.
void CardBuilder::applyExtension(const ContentLine &line) {
    if (line.name.size() < 2 || (line.name[0] != 'X' && line.name[0] != 'x') || line.name[1] != '-')
        return leaveOut(line);
    VCardExtension extension;
    extension.name = VCardSyntax::decodeText(line.name.sliced(2), {});
    if (isFieldExtension(extension.name))
        return;
    const bool typed = line.hasParameter("TYPE");
    if (typed)
        extension.label = trimmed(VCardSyntax::decodeText(line.parameterText("TYPE"), {}));
    extension.value = text(line);
    extras_.extensions.append(std::move(extension));
    if (!typed)
        remember(line, Field::Extension, extras_.extensions.size() - 1);
}

void CardBuilder::apply(const ContentLine &line) {
    // Property names are upper-cased on the stack: this runs for every line of a file.
    char upperName[40];
    if (line.name.size() >= qsizetype(sizeof upperName))
        return applyExtension(line); // no field has so long a name
    for (qsizetype i = 0; i < line.name.size(); ++i) {
        const char c = line.name[i];
        upperName[i] = (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    }
    const std::string_view name(upperName, size_t(line.name.size()));
    auto types = [&line] { return line.parameterValues("TYPE"); };
    if (name == "VERSION") {
        version21_ = line.value.trimmed().startsWith("2.");
    } else if (name == "N") {
        const QStringList parts = components(line);
        QString *targets[] = {&contact_.familyName, &contact_.givenName, &contact_.middleName,
                              &contact_.namePrefix, &contact_.nameSuffix};
        const bool named = nameGiven_;
        bool replaced = false;
        for (int i = 0; i < 5 && i < parts.size(); ++i) {
            QString part = trimmed(parts[i]);
            replaced = replaced || (named && part != *targets[i]);
            *targets[i] = std::move(part);
            nameGiven_ = nameGiven_ || !targets[i]->isEmpty();
        }
        if (replaced)
            nameLeftOut(line);
    } else if (name == "FN") {
        formattedName_ = trimmed(text(line));
    } else if (name == "NICKNAME") {
        setOnce(contact_.nickname, text(line), line);
    } else if (name == "ORG") {
        const QStringList parts = components(line);
        QString organization = parts.isEmpty() ? contact_.organizationName : parts.first();
        QString department = contact_.departmentName;
        if (parts.size() > 1) {
            QStringList units = parts.mid(1);
            units.removeAll(QString());
            department = units.join(QLatin1String(", "));
        }
        if ((!contact_.organizationName.isEmpty() || !contact_.departmentName.isEmpty()) &&
            (organization != contact_.organizationName || department != contact_.departmentName))
            nameLeftOut(line);
        contact_.organizationName = std::move(organization);
        contact_.departmentName = std::move(department);
    } else if (name == "TITLE") {
        setOnce(contact_.jobTitle, text(line), line);
    } else if (name == "UID") {
        setOnce(contact_.cardIdentity.uid, trimmed(text(line)), line);
    } else if (name == "X-ABUID") {
        setOnce(contact_.cardIdentity.abUid, trimmed(text(line)), line);
    } else if (name == "NOTE") {
        const QString note = text(line);
        if (!contact_.note.isEmpty())
            contact_.note += QLatin1Char('\n');
        contact_.note += note;
    } else if (name == "TEL") {
        QString number = trimmed(text(line));
        if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number = trimmed(number.sliced(4));
        if (number.isEmpty())
            return;
        leaveOutParameters(line);
        contact_.phoneNumbers.append({labelFromTypes(line, Field::Phone), CNPhoneNumber(number)});
        remember(line, Field::Phone, contact_.phoneNumbers.size() - 1);
    } else if (name == "EMAIL") {
        const QString address = trimmed(text(line));
        if (address.isEmpty())
            return;
        leaveOutParameters(line);
        contact_.emailAddresses.append({labelFromTypes(line, Field::Email), address});
        remember(line, Field::Email, contact_.emailAddresses.size() - 1);
    } else if (name == "URL") {
        const QString url = trimmed(text(line));
        if (url.isEmpty())
            return;
        leaveOutParameters(line);
        contact_.urlAddresses.append({labelFromTypes(line, Field::Url), url});
        remember(line, Field::Url, contact_.urlAddresses.size() - 1);
    } else if (name == "ADR") {
        const QStringList parts = components(line);
        auto part = [&parts](int i) { return i < parts.size() ? trimmed(parts[i]) : QString(); };
        CNPostalAddress address;
        QStringList streetLines = {part(0), part(2), part(1)};
        streetLines.removeAll(QString());
        address.street = streetLines.join(QLatin1Char('\n'));
        address.city = part(3);
        address.state = part(4);
        address.postalCode = part(5);
        address.country = part(6);
        leaveOutParameters(line);
        if (address.isEmpty())
            return;
        contact_.postalAddresses.append({labelFromTypes(line, Field::Address), address});
        remember(line, Field::Address, contact_.postalAddresses.size() - 1);
    } else if (name == "BDAY") {
        // Another form of the same day (vCard 4.0's ALTID) loses nothing.
        const auto date = parseDate(text(line), line.parameter("X-APPLE-OMIT-YEAR"));
        if (!date || (contact_.birthday && *contact_.birthday != *date))
            leaveOut(line);
        if (date)
            contact_.birthday = date;
    } else if (name == "X-ABDATE" || name == "ANNIVERSARY") {
        if (auto date = parseDate(text(line), line.parameter("X-APPLE-OMIT-YEAR"))) {
            std::optional<QString> label = labelFromTypes(line, Field::Date);
            if (name == "ANNIVERSARY")
                label = CNLabelDateAnniversary;
            contact_.dates.append({label, *date});
            remember(line, Field::Date, contact_.dates.size() - 1);
        } else {
            leaveOut(line);
        }
    } else if (name == "X-ABRELATEDNAMES" || name == "RELATED") {
        const QString related = trimmed(text(line));
        if (related.isEmpty())
            return;
        contact_.contactRelations.append({labelFromTypes(line, Field::Relation), CNContactRelation(related)});
        remember(line, Field::Relation, contact_.contactRelations.size() - 1);
    } else if (name == "IMPP") {
        const QString value = trimmed(text(line));
        const qsizetype colon = value.indexOf(QLatin1Char(':'));
        const QString username = colon >= 0 ? trimmed(value.sliced(colon + 1)) : value;
        if (username.isEmpty())
            return;
        QString service = VCardSyntax::decodeText(line.parameterText("X-SERVICE-TYPE"), {});
        if (const QString known = serviceFromName(service.toUtf8()); !known.isEmpty())
            service = known;
        if (service.isEmpty() && colon >= 0)
            service = serviceFromScheme(value.first(colon));
        applyInstantMessage(line, service, username);
    } else if (name.starts_with("X-") && !serviceFromName(line.name.sliced(2)).isEmpty()) {
        const QString username = trimmed(text(line));
        if (!username.isEmpty())
            applyInstantMessage(line, serviceFromName(line.name.sliced(2)), username);
    } else if (name == "X-SOCIALPROFILE") {
        applySocialProfile(line);
    } else if (name == "X-PHONETIC-FIRST-NAME") {
        setOnce(contact_.phoneticGivenName, text(line), line);
        phoneticGiven_ = true;
    } else if (name == "X-PHONETIC-MIDDLE-NAME") {
        setOnce(contact_.phoneticMiddleName, text(line), line);
        phoneticGiven_ = true;
    } else if (name == "X-PHONETIC-LAST-NAME") {
        setOnce(contact_.phoneticFamilyName, text(line), line);
        phoneticGiven_ = true;
    } else if (name == "SOUND") {
        // Japanese phones write the reading of N here, in N's order; a reading given in
        // X-PHONETIC lines says the same. Any other sound has no field.
        if (!types().contains("X-IRMC-N")) {
            leaveOut(line);
        } else if (!phoneticGiven_) {
            const QStringList parts = components(line);
            if (!parts.isEmpty())
                contact_.phoneticFamilyName = trimmed(parts[0]);
            if (parts.size() > 1)
                contact_.phoneticGivenName = trimmed(parts[1]);
            if (parts.size() > 2)
                contact_.phoneticMiddleName = trimmed(parts[2]);
        }
    } else if (name == "X-MAIDENNAME") {
        setOnce(contact_.previousFamilyName, text(line), line);
    } else if (name == "X-ABSHOWAS") {
        if (equalsIgnoringCase(line.value.trimmed(), "COMPANY"))
            contact_.contactType = CNContactType::Organization;
    } else if (name == "KIND") {
        const QByteArrayView kind = line.value.trimmed();
        if (equalsIgnoringCase(kind, "ORG") || equalsIgnoringCase(kind, "ORGANIZATION"))
            contact_.contactType = CNContactType::Organization;
        else if (!equalsIgnoringCase(kind, "INDIVIDUAL"))
            leaveOut(line); // a group or a place is read as a person
    } else if (name == "PHOTO") {
        applyPhoto(line);
    } else if (name == "X-ABLABEL" && !line.group.isEmpty()) {
        groupLabels_.emplace_back(line.group.toByteArray().toUpper(), text(line));
    } else if (name == "X-ABADR" && !line.group.isEmpty()) {
        const QString code = trimmed(text(line));
        if (code.size() == 2 && code[0].isLetter() && code[1].isLetter() && code.front().unicode() < 128 &&
            code.back().unicode() < 128)
            groupCountryCodes_.emplace_back(line.group.toByteArray().toUpper(), code);
        else
            leaveOut(line); // an address has no place for other text
    } else if (name == "CATEGORIES") {
        extras_.categories += VCardSyntax::splitList(rawText(line));
    } else if (name.starts_with("X-")) {
        applyExtension(line);
    } else if (name != "PRODID" && name != "PROFILE") {
        // The program that wrote the file, and the profile's name, are no part of a contact.
        leaveOut(line);
    }
}

CNContact CardBuilder::finish() {
    if (groupLabels_.size() + groupCountryCodes_.size() > 16) {
        // Many groups: hash them once, so the card stays linear.
        const auto labels = index(groupLabels_);
        const auto codes = index(groupCountryCodes_);
        applyGroupValues([&labels](const QByteArray &group) { return labels.value(group); },
                         [&codes](const QByteArray &group) { return codes.value(group); });
    } else {
        applyGroupValues([this](const QByteArray &group) { return find(groupLabels_, group); },
                         [this](const QByteArray &group) { return find(groupCountryCodes_, group); });
    }
    // The kind follows the name as finally read: an N that a later empty one replaced
    // names nobody, as the card written back will not.
    const bool named = !contact_.familyName.isEmpty() || !contact_.givenName.isEmpty() ||
                       !contact_.middleName.isEmpty() || !contact_.namePrefix.isEmpty() ||
                       !contact_.nameSuffix.isEmpty();
    if (!named && contact_.contactType == CNContactType::Person) {
        // Other writers mark a company card by an empty N and the ORG as its FN; a card whose
        // company is the only name it has is one too.
        const QString company = trimmed(contact_.organizationName);
        if (!company.isEmpty() && (formattedName_.isEmpty() || formattedName_ == company))
            contact_.contactType = CNContactType::Organization;
        else
            contact_.givenName = formattedName_;
    }
    // A company card without ORG would otherwise lose the only name it has.
    if (contact_.contactType == CNContactType::Organization && contact_.organizationName.isEmpty())
        contact_.organizationName = formattedName_;
    return std::move(contact_);
}

} // namespace

namespace VCardReader {

QList<CNContact> read(QByteArrayView data, QString *error, VCardReadDetails *details) {
    if (error)
        error->clear();
    QList<CNContact> contacts;
    QList<VCardExtras> extras;
    qsizetype photosLeftOut = 0;
    qsizetype nestedLeftOut = 0;
    std::vector<CardBuilder> open;
    qsizetype skipped = 0; // depth inside a card nested too deeply, which is left out
    VCardSyntax::LineReader reader(data);
    ContentLine line;
    while (reader.next(line)) {
        const bool begin = line.nameIs("BEGIN") && equalsIgnoringCase(line.value.trimmed(), "VCARD");
        const bool end = !begin && line.nameIs("END") && equalsIgnoringCase(line.value.trimmed(), "VCARD");
        if (skipped > 0) {
            skipped += begin ? 1 : end ? -1 : 0;
            nestedLeftOut += begin ? 1 : 0;
        } else if (begin) {
            if (open.size() == size_t(CNContactVCardSerialization::maximumNesting)) {
                skipped = 1;
                ++nestedLeftOut;
            } else {
                open.emplace_back();
            }
        } else if (end) {
            if (!open.empty()) {
                contacts.append(open.back().finish());
                photosLeftOut += open.back().photosLeftOut();
                if (details)
                    extras.append(open.back().takeExtras());
                open.pop_back();
            }
        } else if (!open.empty()) {
            open.back().apply(line);
        }
    }
    QString problem;
    if (!open.empty())
        problem = L("A card has no END:VCARD line.");
    else if (contacts.isEmpty())
        problem = L("The data holds no vCard.");
    if (problem.isEmpty() && details) {
        details->extras = std::move(extras);
        details->photosLeftOut = photosLeftOut;
        details->nestedCardsLeftOut = nestedLeftOut;
    }
    if (problem.isEmpty())
        return contacts;
    if (error)
        *error = problem;
    return {};
}

} // namespace VCardReader
