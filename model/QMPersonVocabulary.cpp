// Field identifiers, the label tables and the conversion of labels.
#include "model/QMPerson.h"
#include "model/QMPersonInternal.h"

#include "platform/contacts/CNLabels.h"
#include "platform/core/Localization.h"
#include "platform/core/Log.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <shared_mutex>
#include <utility>
#include <vector>

namespace {

// The label tables are shared by every document and by the row-building threads: every
// reader and writer takes this one lock, and readers get copies.
struct LabelTables {
    std::shared_mutex mutex;
    QHash<QString, QStringList> labels;
    QHash<QString, QStringList> localized;
    QHash<QString, QStringList> custom;
    // Counts renames and deletions (changed under the lock), so a thread knows when the
    // labels it saw registered may have gone.
    std::atomic<quint64> generation = 0;
};

// The labels this thread found registered, valid while the tables' generation stays the
// one they were found in. Reading a file registers every label of every value, and
// nearly all are known: a short scan here spares the lock and three hash lookups.
struct KnownLabels {
    quint64 generation = 0;
    std::vector<std::pair<QString, QString>> identifierAndWord;

    bool contains(const QString &identifier, const QString &word) const {
        for (const auto &[knownIdentifier, knownWord] : identifierAndWord)
            if (knownWord == word && knownIdentifier == identifier)
                return true;
        return false;
    }
};

thread_local QMPerson::DeferredLabels *deferredLabels = nullptr;

KnownLabels &knownLabels(quint64 generation) {
    thread_local KnownLabels known;
    if (known.generation != generation) {
        known.identifierAndWord.clear();
        known.generation = generation;
    }
    return known;
}

QStringList defaultLabelWords(const QList<QString> &cnLabels) {
    QStringList words;
    for (const QString &label : cnLabels)
        words.append(QMPerson::labelFromCNLabel(label));
    return words;
}

LabelTables &labelTables() {
    static LabelTables *tables = [] {
        auto *t = new LabelTables;
        const QStringList homeWorkOther = defaultLabelWords({CNLabelHome, CNLabelWork, CNLabelOther});
        t->labels.insert(FieldId::Email, homeWorkOther);
        t->labels.insert(FieldId::Phone,
                         defaultLabelWords({CNLabelHome, CNLabelWork, CNLabelOther, CNLabelPhoneNumberMain,
                                            CNLabelPhoneNumberMobile, CNLabelPhoneNumberiPhone,
                                            CNLabelPhoneNumberPager, CNLabelPhoneNumberHomeFax,
                                            CNLabelPhoneNumberWorkFax, CNLabelPhoneNumberOtherFax}));
        t->labels.insert(FieldId::Address, homeWorkOther);
        t->labels.insert(FieldId::URL, defaultLabelWords({CNLabelURLAddressHomePage, CNLabelHome, CNLabelWork,
                                                          CNLabelOther}));
        t->labels.insert(FieldId::Relationship,
                         defaultLabelWords({CNLabelContactRelationFather, CNLabelContactRelationMother,
                                            CNLabelContactRelationParent, CNLabelContactRelationSpouse,
                                            CNLabelContactRelationChild, CNLabelContactRelationBrother,
                                            CNLabelContactRelationSister, CNLabelContactRelationFriend,
                                            CNLabelContactRelationAssistant, CNLabelContactRelationManager,
                                            CNLabelContactRelationPartner, CNLabelContactRelationSon,
                                            CNLabelContactRelationDaughter}));
        t->labels.insert(FieldId::Dates, defaultLabelWords({CNLabelDateAnniversary}));
        t->labels.insert(FieldId::SocialNetwork,
                         CNSocialProfileServices() +
                             QStringList{QStringLiteral("WeChat"), QStringLiteral("Instagram"),
                                         QStringLiteral("Pinterest"), QStringLiteral("LINE"),
                                         QStringLiteral("Snapchat"), QStringLiteral("Tumbler"),
                                         QStringLiteral("WhatsApp")});
        t->labels.insert(FieldId::InstantMessage, homeWorkOther);
        t->labels.insert(FieldId::ShowAsPerson, {QStringLiteral("Person"), QStringLiteral("Company")});
        t->labels.insert(
            FieldId::NameOrdering,
            {QStringLiteral("System Default (%@)").replace(QLatin1String("%@"), FieldId::LastName),
             QStringLiteral("First Name First"), QStringLiteral("Last Name First")});
        for (auto it = t->labels.cbegin(); it != t->labels.cend(); ++it) {
            QStringList titles;
            for (const QString &word : it.value()) {
                const QString cnLabel = QMPerson::CNLabelFromLabel(word).value_or(QString());
                const QString title =
                    cnLabel.isEmpty() ? QString() : QMPerson::localizedLabelFromCNLabel(cnLabel);
                titles.append(title.isEmpty() ? word : title);
            }
            t->localized.insert(it.key(), titles);
        }
        return t;
    }();
    return *tables;
}

std::optional<QStringList> listOf(const QHash<QString, QStringList> LabelTables::*table,
                                  const QString &identifier) {
    LabelTables &tables = labelTables();
    std::shared_lock lock(tables.mutex);
    const auto found = (tables.*table).constFind(identifier);
    if (found == (tables.*table).constEnd())
        return std::nullopt;
    return *found;
}

struct ClassItems {
    std::mutex mutex;
    std::optional<QList<CustomItemDefinition>> items;
};

ClassItems &classItems() {
    static ClassItems items;
    return items;
}

const QString wrapStart = QStringLiteral("_$!<");
const QString wrapEnd = QStringLiteral(">!$_");

} // namespace

const QStringList &QMPerson::allIdentifiers() {
    static const QStringList list = {FieldId::Name,         FieldId::Company,       FieldId::Department,
                                     FieldId::JobTitle,     FieldId::Nickname,      FieldId::Title,
                                     FieldId::Suffix,       FieldId::Note,          FieldId::Phone,
                                     FieldId::Email,        FieldId::URL,           FieldId::Address,
                                     FieldId::Relationship, FieldId::SocialNetwork, FieldId::InstantMessage,
                                     FieldId::Dates,        FieldId::Birthday,      FieldId::PhoneticName,
                                     FieldId::Photo};
    return list;
}

const QStringList &QMPerson::labeledIdentifiers() {
    static const QStringList list = {FieldId::Email,        FieldId::InstantMessage, FieldId::SocialNetwork,
                                     FieldId::URL,          FieldId::Phone,          FieldId::Address,
                                     FieldId::Relationship, FieldId::Dates};
    return list;
}

const QStringList &QMPerson::stringIdentifiers() {
    static const QStringList list = {FieldId::Company,  FieldId::Department, FieldId::Nickname,
                                     FieldId::JobTitle, FieldId::Title,      FieldId::Note,
                                     FieldId::Suffix};
    return list;
}

const QStringList &QMPerson::addressIdentifiers() {
    static const QStringList list = {FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street,
                                     FieldId::Country};
    return list;
}

const QStringList &QMPerson::phoneticIdentifiers() {
    static const QStringList list = {FieldId::PhoneticName, FieldId::PhoneticFirstName,
                                     FieldId::PhoneticLastName, FieldId::PhoneticMiddleName};
    return list;
}

const QHash<QString, QString> &QMPerson::CNIdentifiers() {
    static const QHash<QString, QString> map = {
        {FieldId::Company, CNContactOrganizationNameKey},
        {FieldId::Department, CNContactDepartmentNameKey},
        {FieldId::JobTitle, CNContactJobTitleKey},
        {FieldId::Nickname, CNContactNicknameKey},
        {FieldId::Title, CNContactNamePrefixKey},
        {FieldId::Suffix, CNContactNameSuffixKey},
        {FieldId::Note, CNContactNoteKey},
        {FieldId::Phone, CNContactPhoneNumbersKey},
        {FieldId::Email, CNContactEmailAddressesKey},
        {FieldId::URL, CNContactUrlAddressesKey},
        {FieldId::Address, CNContactPostalAddressesKey},
        {FieldId::Relationship, CNContactRelationsKey},
        {FieldId::SocialNetwork, CNContactSocialProfilesKey},
        {FieldId::InstantMessage, CNContactInstantMessageAddressesKey},
        {FieldId::Dates, CNContactDatesKey},
        {FieldId::Birthday, CNContactBirthdayKey},
        {FieldId::Photo, CNContactImageDataKey},
        {FieldId::PhoneticFirstName, CNContactPhoneticGivenNameKey},
        {FieldId::PhoneticMiddleName, CNContactPhoneticMiddleNameKey},
        {FieldId::PhoneticLastName, CNContactPhoneticFamilyNameKey},
    };
    return map;
}

QString QMPerson::localizedIdentifierForKey(const QString &identifier) {
    // The platform's names of the contact keys are lower-case words ("email", "phone"),
    // which sat beside the application's own titles ("Phonetic Name") in one header row.
    const QString translated = L(identifier.toUtf8().constData());
    return translated != identifier ? translated : titleForKey(identifier);
}

QString QMPerson::titleForKey(const QString &key) {
    static const QHash<QString, QString> titles = [] {
        QHash<QString, QString> table = {
            {FieldId::CompositeName, QStringLiteral("Full Name")},
            {FieldId::FirstName, QStringLiteral("First Name")},
            {FieldId::MiddleName, QStringLiteral("Middle Name")},
            {FieldId::LastName, QStringLiteral("Last Name")},
            {FieldId::PreviousFamilyName, QStringLiteral("Maiden Name")},
            {FieldId::PhoneticFirstName, QStringLiteral("Phonetic First Name")},
            {FieldId::PhoneticMiddleName, QStringLiteral("Phonetic Middle Name")},
            {FieldId::PhoneticLastName, QStringLiteral("Phonetic Last Name")},
            {QStringLiteral("domain"), QStringLiteral("Domain")},
            {QStringLiteral("username"), QStringLiteral("User Name")},
            {QStringLiteral("service name"), QStringLiteral("Service Name")},
            {QStringLiteral("label"), QStringLiteral("Label")},
        };
        // The card's slots for a field's home and work values.
        const QList<std::pair<QString, QString>> cardSlots = {{QStringLiteral("Email"), FieldId::Email},
                                                          {QStringLiteral("Phone"), FieldId::Phone},
                                                          {QStringLiteral("SNS"), FieldId::SocialNetwork},
                                                          {QStringLiteral("IMS"), FieldId::InstantMessage},
                                                          {QStringLiteral("Address"), FieldId::Address}};
        for (const auto &[slot, field] : cardSlots) {
            table.insert(QStringLiteral("Home-") + slot, QStringLiteral("Home ") + field);
            table.insert(QStringLiteral("Work-") + slot, QStringLiteral("Work ") + field);
        }
        return table;
    }();
    return titles.value(key, key);
}

std::optional<QStringList> QMPerson::labelsForIdentifier(const QString &identifier) {
    return listOf(&LabelTables::labels, identifier);
}

std::optional<QStringList> QMPerson::localizedLabelsForIdentifier(const QString &identifier) {
    return listOf(&LabelTables::localized, identifier);
}

std::optional<QStringList> QMPerson::customLabelsForIdentifier(const QString &identifier) {
    return listOf(&LabelTables::custom, identifier);
}

QHash<QString, QStringList> QMPerson::labelTableDict() {
    LabelTables &tables = labelTables();
    std::unique_lock lock(tables.mutex);
    for (auto it = tables.labels.begin(); it != tables.labels.end(); ++it) {
        QStringList &titles = tables.localized[it.key()];
        for (const QString &word : tables.custom.value(it.key())) {
            if (it->contains(word))
                continue;
            // The localized list grows with the label list, so the two stay aligned.
            it->append(word);
            titles.append(word);
        }
    }
    return tables.labels;
}

QHash<QString, QStringList> QMPerson::customLabelTableDict() {
    LabelTables &tables = labelTables();
    std::shared_lock lock(tables.mutex);
    return tables.custom;
}

bool QMPerson::setLabel(const QString &oldLabel, const QString &newLabel, const QString &identifier) {
    LabelTables &tables = labelTables();
    if (oldLabel.isEmpty()) {
        const quint64 generation = tables.generation.load(std::memory_order_acquire);
        KnownLabels &known = knownLabels(generation);
        if (known.contains(identifier, newLabel))
            return false;
        std::shared_lock readLock(tables.mutex);
        const auto labels = tables.labels.constFind(identifier);
        if (labels != tables.labels.constEnd() && labels->contains(newLabel) &&
            tables.custom.contains(identifier) && tables.localized.contains(identifier)) {
            // Seen under the lock in the same generation: still registered.
            if (tables.generation.load(std::memory_order_relaxed) == generation)
                known.identifierAndWord.emplace_back(identifier, newLabel);
            return false;
        }
    }
    if (oldLabel.isEmpty() && !newLabel.isEmpty() && deferredLabels) {
        const std::pair<QString, QString> entry(identifier, newLabel);
        auto &pending = deferredLabels->pending_;
        if (std::find(pending.cbegin(), pending.cend(), entry) == pending.cend())
            pending.push_back(entry);
        return true;
    }
    std::unique_lock lock(tables.mutex);
    // The empty word is no label; renaming to it is how a label is deleted.
    if (oldLabel.isEmpty() && newLabel.isEmpty())
        return false;
    QStringList &labels = tables.labels[identifier];
    QStringList &localized = tables.localized[identifier];
    QStringList &custom = tables.custom[identifier];
    if (oldLabel.isEmpty()) {
        if (labels.contains(newLabel))
            return false;
        labels.append(newLabel);
        localized.append(newLabel);
        if (!custom.contains(newLabel))
            custom.append(newLabel);
        return true;
    }
    tables.generation.fetch_add(1, std::memory_order_release);
    const qsizetype position = labels.indexOf(oldLabel);
    if (position >= 0) {
        labels[position] = newLabel;
        if (position < localized.size())
            localized[position] = newLabel;
        else
            logError("+[QMPerson setLabel:to:forIdentifier:]", QStringLiteral("ERROR"));
    } else {
        labels.append(newLabel);
        localized.append(newLabel);
    }
    const qsizetype customPosition = custom.indexOf(oldLabel);
    if (customPosition >= 0)
        custom[customPosition] = newLabel;
    else
        custom.append(newLabel);
    return true;
}

bool QMPerson::removeLabel(const QString &label, const QString &identifier) {
    LabelTables &tables = labelTables();
    std::unique_lock lock(tables.mutex);
    QStringList *labels = tables.labels.contains(identifier) ? &tables.labels[identifier] : nullptr;
    QStringList *custom = tables.custom.contains(identifier) ? &tables.custom[identifier] : nullptr;
    if (!(labels && labels->contains(label)) && !(custom && custom->contains(label)))
        return false;
    tables.generation.fetch_add(1, std::memory_order_release);
    if (labels) {
        // Titles pair with words by position: each title leaves with its word.
        QStringList &titles = tables.localized[identifier];
        for (qsizetype position = labels->size() - 1; position >= 0; --position) {
            if (labels->at(position) != label)
                continue;
            labels->removeAt(position);
            if (position < titles.size())
                titles.removeAt(position);
        }
    }
    if (custom)
        custom->removeAll(label);
    return true;
}

void QMPersonInternal::addCustomLabels(const QString &identifier, const QStringList &words) {
    LabelTables &tables = labelTables();
    std::unique_lock lock(tables.mutex);
    tables.custom[identifier].append(words);
}

QString QMPerson::labelFromCNLabel(const std::optional<QString> &cnLabel) {
    const QString label = cnLabel.value_or(QString());
    QString word;
    if (label == QLatin1String("All"))
        word = label;
    else if (const CNLabelEntry *entry = CNLabelEntryForLabel(label))
        word = entry->word;
    else if (label.size() >= wrapStart.size() + wrapEnd.size() && label.startsWith(wrapStart) &&
             label.endsWith(wrapEnd))
        word = label.mid(wrapStart.size(), label.size() - wrapStart.size() - wrapEnd.size());
    else
        word = label;
    return word.isEmpty() ? NoLabel : word;
}

std::optional<QString> QMPerson::CNLabelFromLabel(const std::optional<QString> &label) {
    if (!label)
        return std::nullopt;
    if (const CNLabelEntry *entry = CNLabelEntryForWord(*label))
        return entry->label;
    return label;
}

QString QMPerson::localizedLabelFromCNLabel(const QString &cnLabel) {
    return CNLabeledValue<QString>::localizedStringForLabel(cnLabel);
}

std::optional<QList<CustomItemDefinition>> QMPerson::customItemsForVCard() {
    ClassItems &items = classItems();
    std::lock_guard lock(items.mutex);
    return items.items;
}

void QMPerson::setCustomItemsForVCard(const QList<CustomItemDefinition> &list) {
    ClassItems &items = classItems();
    std::lock_guard lock(items.mutex);
    items.items = list;
}

QMPerson::DeferredLabels::Scope::Scope(DeferredLabels &labels)
    : outer_(std::exchange(deferredLabels, &labels)) {}

QMPerson::DeferredLabels::Scope::~Scope() { deferredLabels = outer_; }

void QMPerson::DeferredLabels::registerAll() {
    // Registered now, even on a thread that is deferring its own.
    DeferredLabels *const current = std::exchange(deferredLabels, nullptr);
    for (const auto &[identifier, word] : pending_)
        setLabel(QString(), word, identifier);
    pending_.clear();
    deferredLabels = current;
}
