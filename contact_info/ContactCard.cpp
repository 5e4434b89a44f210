#include "contact_info/ContactCard.h"

#include "model/QMPerson.h"
#include "platform/core/Resources.h"

#include <QDomDocument>

namespace {

const QString Gray = QStringLiteral("color:#aaaaaa;");
const QString Black = QStringLiteral("color:#000000;");
const QString Style = QStringLiteral("style");

QDomElement findElement(const QDomElement &element, const QString &attribute, const QString &text) {
    if (element.isNull())
        return {};
    if (element.attribute(attribute) == text && element.hasAttribute(attribute))
        return element;
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        const QDomElement found = findElement(child, attribute, text);
        if (!found.isNull())
            return found;
    }
    return {};
}

void setText(QDomElement element, const QString &text) {
    while (element.hasChildNodes())
        element.removeChild(element.firstChild());
    element.appendChild(element.ownerDocument().createTextNode(text));
}

enum class ValueStyle { None, GrayPlaceholder, BlackOrGray };

// A single value, or its placeholder when empty.
void fillValue(const QDomElement &body, const QString &id, const QString &value, const QString &placeholder,
               ValueStyle style) {
    QDomElement element = ContactCard::getElementById(body, id);
    if (element.isNull())
        return;
    setText(element, value.isEmpty() ? placeholder : value);
    if (style == ValueStyle::None)
        return;
    if (value.isEmpty())
        element.setAttribute(Style, Gray);
    else if (style == ValueStyle::BlackOrGray)
        element.setAttribute(Style, Black);
}

// "Home-"/"Work-" slots: the last value with that label, else the slot's own id in gray.
void fillSlot(const QDomElement &body, const QString &id, const QString &label,
              const LabeledValueList &values) {
    QDomElement element = ContactCard::getElementById(body, id);
    if (element.isNull())
        return;
    setText(element, QMPerson::localizedIdentifierForKey(id));
    element.setAttribute(Style, Gray);
    for (const LabeledValueRecord &value : values) {
        if (value.label == label) {
            setText(element, value.stringValue);
            element.setAttribute(Style, Black);
        }
    }
}

void fillList(const QDomElement &body, const QString &id, const LabeledValueList &values) {
    QDomElement element = ContactCard::getElementById(body, id);
    if (element.isNull())
        return;
    QDomDocument document = element.ownerDocument();
    for (const LabeledValueRecord &value : values) {
        QDomElement entry = document.createElement(QStringLiteral("p"));
        entry.setAttribute(QStringLiteral("class"), QStringLiteral("textfield"));
        QDomElement cite = document.createElement(QStringLiteral("cite"));
        cite.appendChild(document.createTextNode(value.labelText()));
        entry.appendChild(cite);
        // Rich text gives inline elements no margin: a no-break space keeps label and value apart.
        entry.appendChild(document.createTextNode(QString(QChar(0x00A0)) + value.stringValue));
        element.appendChild(entry);
    }
}

// Rich-text readers take "<div/>" for an opening tag; empty elements get an empty text.
void keepElementsOpen(QDomElement element) {
    static const QStringList voidElements = {QStringLiteral("img"), QStringLiteral("br"),
                                             QStringLiteral("hr"), QStringLiteral("meta"),
                                             QStringLiteral("link")};
    if (!element.hasChildNodes() && !voidElements.contains(element.tagName().toLower()))
        element.appendChild(element.ownerDocument().createTextNode(QString()));
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        keepElementsOpen(child);
}

struct SlotField {
    QString identifier;
    QString slot;
    QString list;
};

} // namespace

namespace ContactCard {

QDomElement getElementById(const QDomElement &element, const QString &id) {
    return findElement(element, QStringLiteral("id"), id);
}

QDomElement getElementByClass(const QDomElement &element, const QString &className) {
    return findElement(element, QStringLiteral("class"), className);
}

std::optional<ContactCardPage> makeContactHTML(const ContactEntry *contact, const QString &templatePath,
                                               const std::optional<QImage> &decodedPhoto) {
    const QByteArray text = Resources::read(templatePath);
    QDomDocument document;
    if (text.isEmpty() || !document.setContent(text))
        return std::nullopt;
    ContactCardPage page;
    const QDomElement body = document.documentElement().firstChildElement(QStringLiteral("body"));
    QMPerson *person = contact ? contact->person.get() : nullptr;

    QString pictureName = person && person->showAsPerson() ? PersonPicture : CompanyPicture;
    // One decode per card, at the size the card draws it.
    const QImage photo = decodedPhoto ? *decodedPhoto
                         : person ? QMPerson::decodePhoto(person->photoData(), QSize(PhotoSide, PhotoSide))
                                  : QImage();
    if (!photo.isNull()) {
        pictureName = PhotoName;
        page.images.insert(PhotoName, photo);
    }
    // The card is made on the main thread only; the bundle pictures are decoded once.
    static const QImage personPicture(IconFolder + PersonPicture);
    static const QImage companyPicture(IconFolder + CompanyPicture);
    page.images.insert(PersonPicture, personPicture);
    page.images.insert(CompanyPicture, companyPicture);

    if (!body.isNull()) {
        const auto string = [person](const QString &identifier) {
            return person ? person->stringValueForIdentifier(identifier) : QString();
        };
        fillValue(body, QStringLiteral("Compositename"), person ? person->compositeName() : QString(), NoName,
                  ValueStyle::None);
        QDomElement image = getElementById(body, QStringLiteral("ContactImage"));
        if (!image.isNull())
            image.setAttribute(QStringLiteral("src"), pictureName);
        fillValue(body, QStringLiteral("Company"), string(FieldId::Company), QStringLiteral("Company"),
                  ValueStyle::GrayPlaceholder);
        fillValue(body, QStringLiteral("Department"), string(FieldId::Department),
                  QStringLiteral("Department"), ValueStyle::GrayPlaceholder);
        fillValue(body, QStringLiteral("JobTitle"), string(FieldId::JobTitle), QStringLiteral("Job Title"),
                  ValueStyle::GrayPlaceholder);
        fillValue(body, QStringLiteral("Nickname"), string(FieldId::Nickname), QStringLiteral("Nickname"),
                  ValueStyle::GrayPlaceholder);
        const auto birthday = person ? person->birthdayValue() : std::nullopt;
        fillValue(body, QStringLiteral("Birthday"), birthday ? birthday->stringValue : QString(),
                  QStringLiteral("Birthday"), ValueStyle::BlackOrGray);
        fillValue(body, QStringLiteral("Suffix"), string(FieldId::Suffix), QStringLiteral("Suffix"),
                  ValueStyle::BlackOrGray);
        fillValue(body, QStringLiteral("Title"), string(FieldId::Title), QStringLiteral("Title"),
                  ValueStyle::BlackOrGray);
        fillValue(body, QStringLiteral("Name"), person ? person->nameValue().stringValue : QString(),
                  QStringLiteral("Name"), ValueStyle::BlackOrGray);
        const auto phonetic = person ? person->phoneticNameValue() : std::nullopt;
        fillValue(body, QStringLiteral("Phonetic Name"), phonetic ? phonetic->stringValue : QString(),
                  QStringLiteral("Phonetic Name"), ValueStyle::BlackOrGray);
        const QDomElement noteArea = getElementById(body, QStringLiteral("NoteArea"));
        if (!noteArea.isNull())
            fillValue(noteArea, QStringLiteral("Note"), string(FieldId::Note), QStringLiteral("Note"),
                      ValueStyle::BlackOrGray);

        static const QList<SlotField> slotFields = {
            {FieldId::Email, QStringLiteral("Email"), QStringLiteral("Email")},
            {FieldId::Phone, QStringLiteral("Phone"), QStringLiteral("Phone")},
            {FieldId::SocialNetwork, QStringLiteral("SNS"), QStringLiteral("SNS")},
            {FieldId::InstantMessage, QStringLiteral("IMS"), QStringLiteral("IMS")},
            {FieldId::Address, QStringLiteral("Address"), QStringLiteral("Address")},
            {FieldId::Dates, QString(), QStringLiteral("Dates")},
            {FieldId::Relationship, QString(), QStringLiteral("Relationship")}};
        for (const SlotField &field : slotFields) {
            const LabeledValueList values =
                person ? person->labeledValueForIdentifier(field.identifier).value_or(LabeledValueList())
                       : LabeledValueList();
            if (!field.slot.isEmpty()) {
                fillSlot(body, QStringLiteral("Home-") + field.slot, QStringLiteral("home"), values);
                fillSlot(body, QStringLiteral("Work-") + field.slot, QStringLiteral("work"), values);
            }
            fillList(body, field.list, values);
        }
    }
    keepElementsOpen(document.documentElement());
    page.html = document.toString(1);
    return page;
}

} // namespace ContactCard
