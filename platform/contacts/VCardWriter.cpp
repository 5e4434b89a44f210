#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/CNLabels.h"
#include "platform/contacts/VCardMapping.h"
#include "platform/contacts/VCardSyntax.h"

using VCardSyntax::appendEscaped;

namespace {

const QString noLabelWord = QStringLiteral("No label");

QByteArray dateText(const DateComponents &date) {
    const int year = date.hasYear() ? date.year : DateComponents::leapYearForMissingYear;
    return QByteArray::number(year).rightJustified(4, '0') + '-' +
           QByteArray::number(date.month).rightJustified(2, '0') + '-' +
           QByteArray::number(date.day).rightJustified(2, '0');
}

QByteArray schemeForService(const QString &service) {
    static const std::pair<const QString *, const char *> schemes[] = {
        {&CNInstantMessageServiceAIM, "aim"},         {&CNInstantMessageServiceJabber, "xmpp"},
        {&CNInstantMessageServiceMSN, "msnim"},       {&CNInstantMessageServiceYahoo, "ymsgr"},
        {&CNInstantMessageServiceSkype, "skype"},     {&CNInstantMessageServiceICQ, "icq"},
        {&CNInstantMessageServiceGoogleTalk, "xmpp"}, {&CNInstantMessageServiceFacebook, "xmpp"}};
    for (const auto &[name, scheme] : schemes)
        if (*name == service)
            return scheme;
    return "x-apple";
}

class CardWriter {
public:
    explicit CardWriter(QByteArray &out)
        : out_(out) {}

    void line(const char *name, const QString &value) {
        line_ = name;
        line_ += ':';
        appendEscaped(line_, value);
        VCardSyntax::appendFolded(out_, line_);
    }
    void lineIfAny(const char *name, const QString &value) {
        if (!value.isEmpty())
            line(name, value);
    }
    void structured(const char *name, std::initializer_list<const QString *> parts) {
        line_ = name;
        line_ += ':';
        bool first = true;
        for (const QString *part : parts) {
            if (!first)
                line_ += ';';
            first = false;
            appendEscaped(line_, *part);
        }
        VCardSyntax::appendFolded(out_, line_);
    }

    // A labeled property: a framework label with a vCard TYPE becomes TYPE parameters,
    // any other label an X-ABLabel in an item group. X- properties always stand in a
    // group so that they are never read as custom items.
    void labeled(const char *name, const std::optional<QString> &label, QByteArrayView parameters,
                 QByteArrayView value, bool phone, const QString &countryCode = QString()) {
        const bool hasLabel = label && !label->isEmpty() && *label != noLabelWord;
        const bool extension = name[0] == 'X' && name[1] == '-';
        QStringList types;
        if (hasLabel && !extension)
            if (const CNLabelEntry *entry = CNLabelEntryForLabel(*label))
                if (phone || entry->label == CNLabelHome || entry->label == CNLabelWork)
                    types = entry->vCardTypes;
        const bool grouped = extension || !countryCode.isEmpty() || (hasLabel && types.isEmpty());
        line_.clear();
        QByteArray group;
        if (grouped) {
            group = "item" + QByteArray::number(nextItem_++) + '.';
            line_ += group;
        }
        line_ += name;
        line_ += parameters;
        for (const QString &type : types) {
            line_ += ";type=";
            line_ += type.toLatin1();
        }
        line_ += ':';
        line_ += value;
        VCardSyntax::appendFolded(out_, line_);
        if (grouped && hasLabel && types.isEmpty()) {
            line_ = group + "X-ABLabel:";
            appendEscaped(line_, *label);
            VCardSyntax::appendFolded(out_, line_);
        }
        if (!countryCode.isEmpty()) {
            line_ = group + "X-ABADR:";
            appendEscaped(line_, countryCode);
            VCardSyntax::appendFolded(out_, line_);
        }
    }

    QByteArray escaped(const QString &text) const {
        QByteArray bytes;
        appendEscaped(bytes, text);
        return bytes;
    }

    void groupedText(const char *name, const QString &value) {
        line_ = "item" + QByteArray::number(nextItem_++) + '.' + name + ':';
        appendEscaped(line_, value);
        VCardSyntax::appendFolded(out_, line_);
    }

private:
    QByteArray &out_;
    QByteArray line_;
    int nextItem_ = 1;
};

QByteArray dateParameters(const DateComponents &date) {
    return date.hasYear()
               ? QByteArray()
               : QByteArray(";X-APPLE-OMIT-YEAR=") + QByteArray::number(date.leapYearForMissingYear);
}

} // namespace

namespace VCardWriter {

void append(QByteArray &out, const CNContact &c) {
    CardWriter card(out);
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    card.structured("N", {&c.familyName, &c.givenName, &c.middleName, &c.namePrefix, &c.nameSuffix});
    card.line("FN", CNContactFormatter::stringFromContact(c));
    card.lineIfAny("NICKNAME", c.nickname);
    card.lineIfAny("X-PHONETIC-FIRST-NAME", c.phoneticGivenName);
    card.lineIfAny("X-PHONETIC-MIDDLE-NAME", c.phoneticMiddleName);
    card.lineIfAny("X-PHONETIC-LAST-NAME", c.phoneticFamilyName);
    if (!c.previousFamilyName.isEmpty())
        card.groupedText("X-MAIDENNAME", c.previousFamilyName);
    if (!c.organizationName.isEmpty() || !c.departmentName.isEmpty())
        card.structured("ORG", {&c.organizationName, &c.departmentName});
    card.lineIfAny("TITLE", c.jobTitle);
    if (c.contactType == CNContactType::Organization)
        out += "X-ABShowAs:COMPANY\r\n";

    for (const auto &phone : c.phoneNumbers)
        card.labeled("TEL", phone.label, {}, card.escaped(phone.value.stringValue), true);
    for (const auto &email : c.emailAddresses)
        card.labeled("EMAIL", email.label, ";type=INTERNET", card.escaped(email.value), false);
    for (const auto &address : c.postalAddresses) {
        const CNPostalAddress &a = address.value;
        QByteArray value = ";;";
        for (const QString *part : {&a.street, &a.city, &a.state, &a.postalCode}) {
            appendEscaped(value, *part);
            value += ';';
        }
        appendEscaped(value, a.country);
        card.labeled("ADR", address.label, {}, value, false, a.isoCountryCode);
    }
    for (const auto &url : c.urlAddresses)
        card.labeled("URL", url.label, {}, card.escaped(url.value), false);
    if (c.birthday && c.birthday->isValidDate())
        out += "BDAY" + dateParameters(*c.birthday) + ':' + dateText(*c.birthday) + "\r\n";
    for (const auto &date : c.dates)
        if (date.value.isValidDate())
            card.labeled("X-ABDATE", date.label, dateParameters(date.value), dateText(date.value), false);
    for (const auto &relation : c.contactRelations)
        card.labeled("X-ABRELATEDNAMES", relation.label, {}, card.escaped(relation.value.name), false);
    for (const auto &im : c.instantMessageAddresses) {
        QByteArray parameters;
        if (!im.value.service.isEmpty())
            parameters = ";X-SERVICE-TYPE=" + VCardSyntax::parameterValue(im.value.service);
        card.labeled("IMPP", im.label, parameters,
                     schemeForService(im.value.service) + ':' + card.escaped(im.value.username), false);
    }
    for (const auto &profile : c.socialProfiles) {
        const CNSocialProfile &p = profile.value;
        QByteArray line = "X-SOCIALPROFILE";
        if (!p.service.isEmpty())
            line += ";type=" + VCardSyntax::parameterValue(p.service);
        line += ";x-user=" + VCardSyntax::parameterValue(p.username);
        if (!p.userIdentifier.isEmpty())
            line += ";x-userid=" + VCardSyntax::parameterValue(p.userIdentifier);
        line += ':';
        appendEscaped(line, p.urlString);
        VCardSyntax::appendFolded(out, line);
    }
    out += "END:VCARD\r\n";
}

} // namespace VCardWriter
