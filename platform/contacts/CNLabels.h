#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Label and service constants with the texts that travel in files, and the one table
// that relates each framework label to its label word, its display title and its vCard
// TYPE parameter. The vCard serializer and the contact record's label conversion both
// read it.
//
// These are namespace-scope QStrings: use them from functions, not from the initialiser
// of another namespace-scope object.

extern const QString CNLabelHome;  // "_$!<Home>!$_"
extern const QString CNLabelWork;  // "_$!<Work>!$_"
extern const QString CNLabelOther; // "_$!<Other>!$_"
extern const QString CNLabelSchool;
extern const QString CNLabelEmailiCloud;
extern const QString CNLabelURLAddressHomePage;
extern const QString CNLabelDateAnniversary;

extern const QString CNLabelPhoneNumberiPhone; // "iPhone", not wrapped
extern const QString CNLabelPhoneNumberMobile;
extern const QString CNLabelPhoneNumberMain;
extern const QString CNLabelPhoneNumberHomeFax;
extern const QString CNLabelPhoneNumberWorkFax;
extern const QString CNLabelPhoneNumberOtherFax;
extern const QString CNLabelPhoneNumberPager;

extern const QString CNLabelContactRelationFather;
extern const QString CNLabelContactRelationMother;
extern const QString CNLabelContactRelationParent;
extern const QString CNLabelContactRelationBrother;
extern const QString CNLabelContactRelationSister;
extern const QString CNLabelContactRelationChild;
extern const QString CNLabelContactRelationSon;      // "_$!<Son>!$_"
extern const QString CNLabelContactRelationDaughter; // "_$!<Daughter>!$_"
extern const QString CNLabelContactRelationFriend;
extern const QString CNLabelContactRelationSpouse;
extern const QString CNLabelContactRelationPartner;
extern const QString CNLabelContactRelationAssistant;
extern const QString CNLabelContactRelationManager;

extern const QString CNSocialProfileServiceTwitter;
extern const QString CNSocialProfileServiceFacebook;
extern const QString CNSocialProfileServiceFlickr;
extern const QString CNSocialProfileServiceLinkedIn;
extern const QString CNSocialProfileServiceYelp;
extern const QString CNSocialProfileServiceMySpace;
extern const QString CNSocialProfileServiceSinaWeibo;
extern const QString CNSocialProfileServiceTencentWeibo;
extern const QString CNSocialProfileServiceGameCenter;

extern const QString CNInstantMessageServiceAIM;
extern const QString CNInstantMessageServiceFacebook;
extern const QString CNInstantMessageServiceGaduGadu;
extern const QString CNInstantMessageServiceGoogleTalk;
extern const QString CNInstantMessageServiceICQ;
extern const QString CNInstantMessageServiceJabber;
extern const QString CNInstantMessageServiceMSN;
extern const QString CNInstantMessageServiceQQ;
extern const QString CNInstantMessageServiceSkype;
extern const QString CNInstantMessageServiceYahoo;

// One framework label. `word` is the label word of the contact record ("home fax");
// `title` the English display title, looked up through L(); `vCardTypes` the TYPE
// parameters that stand for the label in vCard (empty: written as an X-ABLabel).
struct CNLabelEntry {
    QString label;
    QString word;
    const char *title;
    QStringList vCardTypes;
    QByteArray typeParameters = {}; // ";type=HOME;type=FAX", made from vCardTypes
};

// Every framework label, in the order of the contact record's conversion table: work,
// home, other, iPhone, main, mobile, the three fax labels, pager, home page, the
// relations (mother ... manager, then son and daughter), anniversary, school, iCloud.
const QList<CNLabelEntry> &CNLabelTable();
// The entry of a framework label, or nullptr.
const CNLabelEntry *CNLabelEntryForLabel(const QString &label);
// The entry whose label word is `word`, or nullptr.
const CNLabelEntry *CNLabelEntryForWord(const QString &word);

// The services in the order the record layer offers them.
QStringList CNSocialProfileServices();
QStringList CNInstantMessageServices();

// A service's vCard property name without "X-" ("AIM", "GOOGLETALK"...), or the empty
// text for a service that has none.
QString CNInstantMessageVCardName(const QString &service);

// Extension names written bare (as "X-" plus the name) and skipped by the reader of
// custom items: every other extension goes into an item group. Exact spelling.
const QStringList &CNVCardReservedExtensionNames();
bool CNIsReservedVCardExtensionName(const QString &nameWithoutPrefix);
