#include "contact_info/FieldIcons.h"

#include "contact_info/ContactCard.h"

#include <QHash>

namespace {

const QHash<QString, QString> &typeIcons() {
    static const QHash<QString, QString> icons = {
        {FieldId::Name, QStringLiteral("user_guest.png")},
        {FieldId::Photo, QStringLiteral("user_guest.png")},
        {FieldId::Groups, QStringLiteral("user_group.png")},
        {FieldId::Address, QStringLiteral("home.png")},
        {FieldId::Relationship, QStringLiteral("everyone.png")},
        {FieldId::Phone, QStringLiteral("icon_phone.png")},
        {FieldId::Email, QStringLiteral("icon_mail.png")},
        {FieldId::URL, QStringLiteral("icon_safari.png")},
        {FieldId::InstantMessage, QStringLiteral("icon_message.png")},
        {FieldId::SocialNetwork, QStringLiteral("icon_sns.png")},
        {FieldId::Company, QStringLiteral("CompanySquare.png")},
        {FieldId::Department, QStringLiteral("icon_department.png")},
        {FieldId::Birthday, QStringLiteral("icon_birthday.png")},
        {FieldId::Dates, QStringLiteral("icon_calendar.png")},
        {FieldId::PhoneticName, QStringLiteral("icon_PhoneticName.png")},
        {FieldId::Nickname, QStringLiteral("icon_nickname.png")},
        {FieldId::JobTitle, QStringLiteral("icon_jobtitle.png")},
        {FieldId::Title, QStringLiteral("icon_title.png")},
        {FieldId::Suffix, QStringLiteral("icon_suffix.png")},
        {FieldId::Note, QStringLiteral("icon_note.png")}};
    return icons;
}

} // namespace

QImage fieldIcon(const QString &type, const std::optional<CustomItemDefinition> &customItem) {
    const auto icon = typeIcons().constFind(type);
    if (icon != typeIcons().constEnd())
        return QImage(ContactCard::IconFolder + *icon);
    return customItem && !customItem->imageData.isEmpty() ? QImage::fromData(customItem->imageData) : QImage();
}

QImage fieldIcon(const QString &type, const std::optional<CustomItemDefinition> &contactItem,
                 const QList<CustomItemDefinition> &windowItems) {
    for (const CustomItemDefinition &definition : windowItems)
        if (definition.name == type && !definition.imageData.isEmpty())
            return fieldIcon(type, definition);
    return fieldIcon(type, contactItem);
}
