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

// Writes content lines straight into the output and folds the few long ones afterwards.
class CardWriter {
public:
    explicit CardWriter(QByteArray &out)
        : out_(out) {}

    void line(const char *name, const QString &value) {
        begin();
        out_ += name;
        out_ += ':';
        appendEscaped(out_, value);
        end();
    }
    void lineIfAny(const char *name, const QString &value) {
        if (!value.isEmpty())
            line(name, value);
    }
    void structured(const char *name, std::initializer_list<const QString *> parts) {
        begin();
        out_ += name;
        out_ += ':';
        bool first = true;
        for (const QString *part : parts) {
            if (!first)
                out_ += ';';
            first = false;
            appendEscaped(out_, *part);
        }
        end();
    }

    // A labeled property: a framework label with a vCard TYPE becomes TYPE parameters,
    // any other label an X-ABLabel in an item group. X- properties (dates, related names)
    // always stand in a group, with their label when they have one. `writeValue` appends
    // the value.
    template <typename WriteValue>
    void labeled(const char *name, const std::optional<QString> &label, QByteArrayView parameters, bool phone,
                 const QString &countryCode, WriteValue &&writeValue) {
        const bool hasLabel = label && !label->isEmpty() && *label != noLabelWord;
        const bool extension = name[0] == 'X' && name[1] == '-';
        const CNLabelEntry *entry = hasLabel && !extension ? CNLabelEntryForLabel(*label) : nullptr;
        const bool typed = entry && !entry->vCardTypes.isEmpty() &&
                           (phone || entry->label == CNLabelHome || entry->label == CNLabelWork);
        const bool grouped = extension || !countryCode.isEmpty() || (hasLabel && !typed);
        const int item = grouped ? nextItem_++ : 0;
        begin();
        if (grouped)
            appendGroup(item);
        out_ += name;
        out_ += parameters;
        if (typed)
            out_ += entry->typeParameters;
        out_ += ':';
        writeValue(out_);
        end();
        if (grouped && hasLabel && !typed)
            groupLine(item, "X-ABLabel:", *label);
        if (!countryCode.isEmpty())
            groupLine(item, "X-ABADR:", countryCode);
    }
    template <typename WriteValue>
    void labeled(const char *name, const std::optional<QString> &label, QByteArrayView parameters, bool phone,
                 WriteValue &&writeValue) {
        labeled(name, label, parameters, phone, QString(), std::forward<WriteValue>(writeValue));
    }

    void groupedText(const char *name, const QString &value) {
        begin();
        appendGroup(nextItem_++);
        out_ += name;
        out_ += ':';
        appendEscaped(out_, value);
        end();
    }

private:
    void begin() { start_ = out_.size(); }
    void end() {
        if (out_.size() - start_ > 75) {
            const QByteArray line = out_.sliced(start_);
            out_.truncate(start_);
            VCardSyntax::appendFolded(out_, line);
        } else {
            out_ += "\r\n";
        }
    }
    void appendGroup(int item) {
        out_ += "item";
        out_ += QByteArray::number(item);
        out_ += '.';
    }
    void groupLine(int item, const char *nameAndColon, const QString &value) {
        begin();
        appendGroup(item);
        out_ += nameAndColon;
        appendEscaped(out_, value);
        end();
    }

    QByteArray &out_;
    qsizetype start_ = 0;
    int nextItem_ = 1;
};

auto escapedText(const QString &text) {
    return [&text](QByteArray &out) { appendEscaped(out, text); };
}

QByteArray dateParameters(const DateComponents &date) {
    return date.hasYear()
               ? QByteArray()
               : QByteArray(";X-APPLE-OMIT-YEAR=") + QByteArray::number(date.leapYearForMissingYear);
}

} // namespace

namespace VCardWriter {

void append(QByteArray &out, const CNContact &c, CNContactSortOrder userSortOrder) {
    CardWriter card(out);
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    card.structured("N", {&c.familyName, &c.givenName, &c.middleName, &c.namePrefix, &c.nameSuffix});
    card.line("FN",
              CNContactFormatter::stringFromContact(c, CNContactFormatterStyle::FullName, userSortOrder));
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
        card.labeled("TEL", phone.label, {}, true, escapedText(phone.value.stringValue));
    for (const auto &email : c.emailAddresses)
        card.labeled("EMAIL", email.label, ";type=INTERNET", false, escapedText(email.value));
    for (const auto &address : c.postalAddresses) {
        const CNPostalAddress &a = address.value;
        card.labeled("ADR", address.label, {}, false, a.isoCountryCode, [&a](QByteArray &value) {
            value += ";;";
            for (const QString *part : {&a.street, &a.city, &a.state, &a.postalCode}) {
                appendEscaped(value, *part);
                value += ';';
            }
            appendEscaped(value, a.country);
        });
    }
    for (const auto &url : c.urlAddresses)
        card.labeled("URL", url.label, {}, false, escapedText(url.value));
    if (c.birthday && c.birthday->isValidDate())
        out += "BDAY" + dateParameters(*c.birthday) + ':' + dateText(*c.birthday) + "\r\n";
    for (const auto &date : c.dates)
        if (date.value.isValidDate())
            card.labeled("X-ABDATE", date.label, dateParameters(date.value), false,
                         [&date](QByteArray &out) { out += dateText(date.value); });
    for (const auto &relation : c.contactRelations)
        card.labeled("X-ABRELATEDNAMES", relation.label, {}, false, escapedText(relation.value.name));
    for (const auto &im : c.instantMessageAddresses) {
        QByteArray parameters;
        if (!im.value.service.isEmpty())
            parameters = ";X-SERVICE-TYPE=" + VCardSyntax::parameterValue(im.value.service);
        card.labeled("IMPP", im.label, parameters, false, [&im](QByteArray &out) {
            out += schemeForService(im.value.service);
            out += ':';
            appendEscaped(out, im.value.username);
        });
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
    card.lineIfAny("UID", c.cardIdentity.uid);
    card.lineIfAny("X-ABUID", c.cardIdentity.abUid);
    out += "END:VCARD\r\n";
}

} // namespace VCardWriter
