#include "model/ViewTypes.h"

#include "model/QMPerson.h"

#include <QHash>

namespace ViewTypes {

const QList<ViewType> &factoryViewTypes() {
    static const QList<ViewType> types = {
        {QStringLiteral("Name"), {FieldId::Name}},
        {QStringLiteral("Email"), {FieldId::Name, FieldId::Email}},
        {QStringLiteral("Phone"), {FieldId::Name, FieldId::Phone}},
        {QStringLiteral("Address"), {FieldId::Name, FieldId::Address}},
        {QStringLiteral("Address Detail"),
         {FieldId::Name, FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street, FieldId::Country}},
        {QStringLiteral("Instant Message"), {FieldId::Name, FieldId::InstantMessage}},
        {QStringLiteral("Social Network"), {FieldId::Name, FieldId::SocialNetwork}},
        {QStringLiteral("URL"), {FieldId::Name, FieldId::URL}},
        {QStringLiteral("Personal Information"),
         {FieldId::Name, FieldId::PhoneticName, FieldId::Nickname, FieldId::Birthday, FieldId::Relationship,
          FieldId::Suffix, FieldId::Title}},
        {QStringLiteral("Business Information"),
         {FieldId::Name, FieldId::Company, FieldId::Department, FieldId::JobTitle}},
        {QStringLiteral("Other"), {FieldId::Name, FieldId::Dates, FieldId::Note}},
        {QStringLiteral("Labeled Values"),
         {FieldId::Name, FieldId::Phone, FieldId::Email, FieldId::Address, FieldId::InstantMessage,
          FieldId::SocialNetwork, FieldId::URL, FieldId::Relationship, FieldId::Dates}},
        {QStringLiteral("Non-labeled Values"),
         {FieldId::Name, FieldId::PhoneticName, FieldId::Nickname, FieldId::Birthday, FieldId::Suffix,
          FieldId::Title, FieldId::Company, FieldId::Department, FieldId::JobTitle, FieldId::Note}},
    };
    return types;
}

QVariantMap aViewTypeDict() {
    QVariantMap table;
    for (const ViewType &type : factoryViewTypes())
        table.insert(type.name, type.identifiers);
    return table;
}

QMap<QString, QStringList> factoryViewTypeTable() {
    QMap<QString, QStringList> table;
    for (const ViewType &type : factoryViewTypes())
        table.insert(type.name, type.identifiers);
    return table;
}

} // namespace ViewTypes

namespace SortOptions {

const QList<Entry> &factoryEntries() {
    static const QString label = QStringLiteral("label");
    static const QString serviceName = QStringLiteral("service name");
    static const QString username = QStringLiteral("username");
    static const QList<Entry> entries = {
        {FieldId::Name,
         {FieldId::CompositeName, FieldId::FirstName, FieldId::LastName},
         FieldId::CompositeName},
        {FieldId::PhoneticName,
         {FieldId::PhoneticName, FieldId::PhoneticFirstName, FieldId::PhoneticLastName},
         FieldId::PhoneticName},
        {FieldId::Address,
         {FieldId::Address, FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street, FieldId::Country,
          label},
         FieldId::Address},
        {FieldId::Email, {FieldId::Email, QStringLiteral("domain"), username, label}, FieldId::Email},
        {FieldId::Phone, {FieldId::Phone, label}, FieldId::Phone},
        {FieldId::URL, {FieldId::URL, label}, FieldId::URL},
        {FieldId::InstantMessage,
         {FieldId::InstantMessage, serviceName, username, label},
         FieldId::InstantMessage},
        {FieldId::SocialNetwork, {FieldId::SocialNetwork, serviceName, username}, FieldId::SocialNetwork},
        {FieldId::Relationship, {FieldId::Relationship, label}, FieldId::Relationship},
        {FieldId::Dates, {FieldId::Dates, label}, FieldId::Dates},
    };
    return entries;
}

QVariantMap entryToVariant(const Entry &entry) {
    return {{QStringLiteral("type"), entry.type},
            {QStringLiteral("items"), entry.items},
            {QStringLiteral("selected"), entry.selected}};
}

QVariantMap factorySortOptionsDict(const QList<CustomItemDefinition> &customItems) {
    QVariantMap table;
    for (const Entry &entry : factoryEntries())
        table.insert(entry.type, entryToVariant(entry));
    for (const CustomItemDefinition &item : customItems) {
        if (item.type == ValueKind::Labeled)
            table.insert(item.name, entryToVariant(customItemEntry(item.name)));
    }
    return table;
}

Entry customItemEntry(const QString &name) {
    return {name, {name, QStringLiteral("label")}, name};
}

Entry entryFromVariant(const QVariantMap &entry) {
    return {entry.value(QStringLiteral("type")).toString(),
            entry.value(QStringLiteral("items")).toStringList(),
            entry.value(QStringLiteral("selected")).toString()};
}

std::pair<QString, QString> separateSortKeyIntoIdentifierAndKey(const QString &sortKey) {
    using Split = std::pair<QString, QString>;
    static const QHash<QString, Split> table = [] {
        const QString stringValue = QStringLiteral("stringValue");
        const QString label = QStringLiteral("label");
        QHash<QString, Split> t;
        for (const QString &field :
             {FieldId::Phone, FieldId::Email, FieldId::Address, FieldId::URL, FieldId::InstantMessage,
              FieldId::SocialNetwork, FieldId::Relationship, FieldId::Dates}) {
            t.insert(field, {field, stringValue});
            t.insert(field + QStringLiteral(" label"), {field, label});
        }
        t.insert(QStringLiteral("Email domain"), {FieldId::Email, QStringLiteral("domain")});
        t.insert(QStringLiteral("Email username"), {FieldId::Email, QStringLiteral("username")});
        for (const QString &part :
             {FieldId::ZIP, FieldId::State, FieldId::City, FieldId::Street, FieldId::Country}) {
            t.insert(FieldId::Address + QLatin1Char(' ') + part, {FieldId::Address, part});
            t.insert(part, {FieldId::Address, part});
        }
        t.insert(QStringLiteral("Instant Message service name"),
                 {FieldId::InstantMessage, CNInstantMessageAddressServiceKey});
        t.insert(QStringLiteral("Instant Message username"),
                 {FieldId::InstantMessage, CNInstantMessageAddressUsernameKey});
        t.insert(QStringLiteral("Social Network service name"),
                 {FieldId::SocialNetwork, CNSocialProfileServiceKey});
        t.insert(QStringLiteral("Social Network username"),
                 {FieldId::SocialNetwork, CNSocialProfileUsernameKey});
        t.insert(FieldId::PhoneticName, {FieldId::PhoneticName, stringValue});
        for (const QString &part : {FieldId::PhoneticFirstName, FieldId::PhoneticLastName}) {
            t.insert(part, {FieldId::PhoneticName, part});
            // "Phonetic Name FirstName": the column's name before the part's.
            t.insert(FieldId::PhoneticName + QLatin1Char(' ') + part.mid(part.indexOf(QLatin1Char(' ')) + 1),
                     {FieldId::PhoneticName, part});
        }
        for (const QString &key : {FieldId::CompositeName, FieldId::FirstName, FieldId::LastName})
            t.insert(key, {FieldId::Name, key});
        return t;
    }();
    const auto found = table.constFind(sortKey);
    if (found != table.constEnd())
        return *found;
    const qsizetype label = sortKey.indexOf(QLatin1String(" label"));
    if (label >= 0)
        return {sortKey.left(label), QStringLiteral("label")};
    return {sortKey, QStringLiteral("stringValue")};
}

QString columnSortKey(const QString &identifier, const QString &selected) {
    if (identifier == FieldId::PhoneticName || selected == identifier)
        return selected;
    return identifier + QLatin1Char(' ') + selected;
}

QString sortKeyForOption(const QString &type, const QString &selected, bool labeledCustomItem) {
    // A custom item's "label" option alone would name no column.
    if ((labeledCustomItem || QMPerson::labeledIdentifiers().contains(type)) && !selected.contains(type))
        return type + QLatin1Char(' ') + selected;
    return selected;
}

} // namespace SortOptions
