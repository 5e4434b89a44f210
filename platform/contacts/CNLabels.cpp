#include "platform/contacts/CNLabels.h"

#include "platform/contacts/CNContact.h"
#include "platform/core/Localization.h"

#include <QHash>

const QString CNLabelHome = QStringLiteral("_$!<Home>!$_");
const QString CNLabelWork = QStringLiteral("_$!<Work>!$_");
const QString CNLabelOther = QStringLiteral("_$!<Other>!$_");
const QString CNLabelSchool = QStringLiteral("_$!<School>!$_");
const QString CNLabelEmailiCloud = QStringLiteral("iCloud");
const QString CNLabelURLAddressHomePage = QStringLiteral("_$!<HomePage>!$_");
const QString CNLabelDateAnniversary = QStringLiteral("_$!<Anniversary>!$_");

const QString CNLabelPhoneNumberiPhone = QStringLiteral("iPhone");
const QString CNLabelPhoneNumberMobile = QStringLiteral("_$!<Mobile>!$_");
const QString CNLabelPhoneNumberMain = QStringLiteral("_$!<Main>!$_");
const QString CNLabelPhoneNumberHomeFax = QStringLiteral("_$!<HomeFAX>!$_");
const QString CNLabelPhoneNumberWorkFax = QStringLiteral("_$!<WorkFAX>!$_");
const QString CNLabelPhoneNumberOtherFax = QStringLiteral("_$!<OtherFAX>!$_");
const QString CNLabelPhoneNumberPager = QStringLiteral("_$!<Pager>!$_");

const QString CNLabelContactRelationFather = QStringLiteral("_$!<Father>!$_");
const QString CNLabelContactRelationMother = QStringLiteral("_$!<Mother>!$_");
const QString CNLabelContactRelationParent = QStringLiteral("_$!<Parent>!$_");
const QString CNLabelContactRelationBrother = QStringLiteral("_$!<Brother>!$_");
const QString CNLabelContactRelationSister = QStringLiteral("_$!<Sister>!$_");
const QString CNLabelContactRelationChild = QStringLiteral("_$!<Child>!$_");
const QString CNLabelContactRelationSon = QStringLiteral("_$!<Son>!$_");
const QString CNLabelContactRelationDaughter = QStringLiteral("_$!<Daughter>!$_");
const QString CNLabelContactRelationFriend = QStringLiteral("_$!<Friend>!$_");
const QString CNLabelContactRelationSpouse = QStringLiteral("_$!<Spouse>!$_");
const QString CNLabelContactRelationPartner = QStringLiteral("_$!<Partner>!$_");
const QString CNLabelContactRelationAssistant = QStringLiteral("_$!<Assistant>!$_");
const QString CNLabelContactRelationManager = QStringLiteral("_$!<Manager>!$_");

const QString CNSocialProfileServiceTwitter = QStringLiteral("Twitter");
const QString CNSocialProfileServiceFacebook = QStringLiteral("Facebook");
const QString CNSocialProfileServiceFlickr = QStringLiteral("Flickr");
const QString CNSocialProfileServiceLinkedIn = QStringLiteral("LinkedIn");
const QString CNSocialProfileServiceYelp = QStringLiteral("Yelp");
const QString CNSocialProfileServiceMySpace = QStringLiteral("MySpace");
const QString CNSocialProfileServiceSinaWeibo = QStringLiteral("SinaWeibo");
const QString CNSocialProfileServiceTencentWeibo = QStringLiteral("TencentWeibo");
const QString CNSocialProfileServiceGameCenter = QStringLiteral("GameCenter");

const QString CNInstantMessageServiceAIM = QStringLiteral("AIM");
const QString CNInstantMessageServiceFacebook = QStringLiteral("Facebook");
const QString CNInstantMessageServiceGaduGadu = QStringLiteral("GaduGadu");
const QString CNInstantMessageServiceGoogleTalk = QStringLiteral("GoogleTalk");
const QString CNInstantMessageServiceICQ = QStringLiteral("ICQ");
const QString CNInstantMessageServiceJabber = QStringLiteral("Jabber");
const QString CNInstantMessageServiceMSN = QStringLiteral("MSN");
const QString CNInstantMessageServiceQQ = QStringLiteral("QQ");
const QString CNInstantMessageServiceSkype = QStringLiteral("Skype");
const QString CNInstantMessageServiceYahoo = QStringLiteral("Yahoo");

const QList<CNLabelEntry> &CNLabelTable() {
    static const QList<CNLabelEntry> table = [] {
        QList<CNLabelEntry> entries = {
            {CNLabelWork, QStringLiteral("work"), "work", {QStringLiteral("WORK")}},
            {CNLabelHome, QStringLiteral("home"), "home", {QStringLiteral("HOME")}},
            {CNLabelOther, QStringLiteral("other"), "other", {}},
            {CNLabelPhoneNumberiPhone, QStringLiteral("iPhone"), "iPhone", {QStringLiteral("IPHONE")}},
            {CNLabelPhoneNumberMain, QStringLiteral("main"), "main", {QStringLiteral("MAIN")}},
            {CNLabelPhoneNumberMobile, QStringLiteral("mobile"), "mobile", {QStringLiteral("CELL")}},
            {CNLabelPhoneNumberHomeFax,
             QStringLiteral("home fax"),
             "home fax",
             {QStringLiteral("HOME"), QStringLiteral("FAX")}},
            {CNLabelPhoneNumberWorkFax,
             QStringLiteral("work fax"),
             "work fax",
             {QStringLiteral("WORK"), QStringLiteral("FAX")}},
            {CNLabelPhoneNumberOtherFax, QStringLiteral("other fax"), "other fax", {QStringLiteral("FAX")}},
            {CNLabelPhoneNumberPager, QStringLiteral("pager"), "pager", {QStringLiteral("PAGER")}},
            {CNLabelURLAddressHomePage, QStringLiteral("home page"), "homepage", {}},
            {CNLabelContactRelationMother, QStringLiteral("mother"), "mother", {}},
            {CNLabelContactRelationFather, QStringLiteral("father"), "father", {}},
            {CNLabelContactRelationParent, QStringLiteral("parent"), "parent", {}},
            {CNLabelContactRelationSister, QStringLiteral("sister"), "sister", {}},
            {CNLabelContactRelationBrother, QStringLiteral("brother"), "brother", {}},
            {CNLabelContactRelationChild, QStringLiteral("child"), "child", {}},
            {CNLabelContactRelationFriend, QStringLiteral("friend"), "friend", {}},
            {CNLabelContactRelationSpouse, QStringLiteral("spouse"), "spouse", {}},
            {CNLabelContactRelationPartner, QStringLiteral("partner"), "partner", {}},
            {CNLabelContactRelationAssistant, QStringLiteral("assistant"), "assistant", {}},
            {CNLabelContactRelationManager, QStringLiteral("manager"), "manager", {}},
            {CNLabelDateAnniversary, QStringLiteral("anniversary"), "anniversary", {}},
            {CNLabelContactRelationSon, QStringLiteral("son"), "son", {}},
            {CNLabelContactRelationDaughter, QStringLiteral("daughter"), "daughter", {}},
            {CNLabelSchool, QStringLiteral("school"), "school", {}},
            {CNLabelEmailiCloud, QStringLiteral("iCloud"), "iCloud", {}},
        };
        for (CNLabelEntry &entry : entries)
            for (const QString &type : entry.vCardTypes)
                entry.typeParameters += ";type=" + type.toLatin1();
        return entries;
    }();
    return table;
}

namespace {
template <typename Key> const CNLabelEntry *lookUp(const QString &text, Key key) {
    static const auto index = [key] {
        QHash<QString, qsizetype> map;
        const auto &table = CNLabelTable();
        for (qsizetype i = table.size() - 1; i >= 0; --i)
            map.insert(key(table[i]), i);
        return map;
    }();
    const auto found = index.constFind(text);
    return found == index.constEnd() ? nullptr : &CNLabelTable()[*found];
}
} // namespace

const CNLabelEntry *CNLabelEntryForLabel(const QString &label) {
    // Labels read from files share the constants' text: a pointer match avoids hashing.
    for (const CNLabelEntry &entry : CNLabelTable())
        if (entry.label.constData() == label.constData())
            return &entry;
    return lookUp(label, [](const CNLabelEntry &e) { return e.label; });
}

const CNLabelEntry *CNLabelEntryForWord(const QString &word) {
    // A distinct lambda type gives this lookup its own index.
    return lookUp(word, [](const CNLabelEntry &e) { return e.word; });
}

QString CNLocalizedStringForLabel(const QString &label) {
    if (const CNLabelEntry *entry = CNLabelEntryForLabel(label))
        return L(entry->title);
    return label;
}

QStringList CNSocialProfileServices() {
    return {CNSocialProfileServiceTwitter,   CNSocialProfileServiceFacebook,
            CNSocialProfileServiceFlickr,    CNSocialProfileServiceLinkedIn,
            CNSocialProfileServiceYelp,      CNSocialProfileServiceMySpace,
            CNSocialProfileServiceSinaWeibo, CNSocialProfileServiceTencentWeibo,
            CNSocialProfileServiceGameCenter};
}

QStringList CNInstantMessageServices() {
    return {CNInstantMessageServiceAIM,      CNInstantMessageServiceFacebook,
            CNInstantMessageServiceGaduGadu, CNInstantMessageServiceGoogleTalk,
            CNInstantMessageServiceICQ,      CNInstantMessageServiceJabber,
            CNInstantMessageServiceMSN,      CNInstantMessageServiceQQ,
            CNInstantMessageServiceSkype,    CNInstantMessageServiceYahoo};
}

QString CNInstantMessageVCardName(const QString &service) {
    if (CNInstantMessageServices().contains(service))
        return service.toUpper();
    return {};
}

const QStringList &CNVCardReservedExtensionNames() {
    static const QStringList names = {QStringLiteral("ABUID"),
                                      QStringLiteral("SOCIALPROFILE"),
                                      QStringLiteral("ABShowAs"),
                                      QStringLiteral("PHONETIC-FIRST-NAME"),
                                      QStringLiteral("PHONETIC-MIDDLE-NAME"),
                                      QStringLiteral("PHONETIC-LAST-NAME"),
                                      QStringLiteral("AIM"),
                                      QStringLiteral("MSN"),
                                      QStringLiteral("JABBER"),
                                      QStringLiteral("YAHOO"),
                                      QStringLiteral("FACEBOOK"),
                                      QStringLiteral("GADUGADU"),
                                      QStringLiteral("SKYPE"),
                                      QStringLiteral("GOOGLETALK"),
                                      QStringLiteral("ICQ"),
                                      QStringLiteral("QQ")};
    return names;
}

bool CNIsReservedVCardExtensionName(const QString &nameWithoutPrefix) {
    return CNVCardReservedExtensionNames().contains(nameWithoutPrefix);
}
