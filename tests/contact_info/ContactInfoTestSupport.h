#pragma once

#include "contact_info/ContactInfoController.h"
#include "contact_info/ContactInfoPopover.h"
#include "model/ContactContainers.h"
#include "model/QMPerson.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>

// A contact entry around the first card of vCard text (lines joined with CRLF).
inline ContactEntry entryFromVCard(const QString &lines) {
    QString text = lines;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    std::unique_ptr<QMPerson> person = QMPerson::initWithVCardData(text.toUtf8());
    ContactEntry entry;
    entry.person = std::shared_ptr<QMPerson>(std::move(person));
    if (entry.person)
        entry.uniqueId = entry.person->uniqueId();
    return entry;
}

inline QString vcard(const QString &body) {
    return QStringLiteral("BEGIN:VCARD\nVERSION:3.0\n") + body + QStringLiteral("END:VCARD\n");
}

// A contact with a value in every field and a photo.
inline ContactEntry fullContact() {
    ContactEntry entry = entryFromVCard(
        vcard(QStringLiteral("N:Appleseed;Johnny;Quincy;Dr.;Jr.\n"
                             "FN:Dr. Johnny Quincy Appleseed Jr.\n"
                             "NICKNAME:Jo\n"
                             "ORG:Acme Corporation;Research\n"
                             "TITLE:Chief Tester\n"
                             "X-PHONETIC-FIRST-NAME:Jonny\n"
                             "X-PHONETIC-LAST-NAME:Appulsiid\n"
                             "TEL;TYPE=HOME:+1 555 0100\n"
                             "TEL;TYPE=WORK:+1 555 0101\n"
                             "TEL;TYPE=CELL:+1 555 0102\n"
                             "EMAIL;TYPE=HOME:john@home.example\n"
                             "EMAIL;TYPE=HOME:johnny@home.example\n"
                             "EMAIL;TYPE=WORK:john@work.example\n"
                             "ADR;TYPE=HOME:;;1 Main Street;Springfield;IL;62701;United States\n"
                             "ADR;TYPE=WORK:;;2 Office Road;Springfield;IL;62702;United States\n"
                             "URL;TYPE=WORK:https://acme.example\n"
                             "BDAY:1980-04-05\n"
                             "item1.X-ABDATE:2005-06-07\n"
                             "item1.X-ABLabel:_$!<Anniversary>!$_\n"
                             "item2.X-ABRELATEDNAMES:Jane Appleseed\n"
                             "item2.X-ABLabel:_$!<Spouse>!$_\n"
                             "IMPP;X-SERVICE-TYPE=Skype;TYPE=WORK:skype:johnny.work\n"
                             "X-SOCIALPROFILE;TYPE=twitter;x-user=johnny:https://twitter.com/johnny\n"
                             "NOTE:First line\\nSecond line\\nThird line\n")));
    QImage photo(96, 96, QImage::Format_RGB32);
    photo.fill(QColor(0x3a, 0x7b, 0xd5));
    QPainter painter(&photo);
    painter.setBrush(QColor(0xf5, 0xc5, 0x42));
    painter.drawEllipse(QRect(20, 14, 56, 56));
    painter.end();
    entry.person->setPhoto(photo);
    entry.groupNames = {QStringLiteral("Family"), QStringLiteral("Friends")};
    return entry;
}

// Carries the panel's edits out on the contact, as the window's edits would, and says
// what it was asked ("name", "labeled Phone", "add Email", ...); `answer` is what the
// replace operations answer.
struct EditingInfoDelegate : ContactInfoControllerDelegate {
    QStringList calls;
    QList<std::pair<QString, ContactInfoController *>> updates;
    QList<InfoTableRow> selections;
    bool answer = true;

    void contactDidUpdate(const ContactEntry &contact, ContactInfoController *sender) override {
        updates.append({contact.uniqueId, sender});
    }
    void rowSelectionDidChange(ContactInfoController *, const InfoTableRow &row) override { selections.append(row); }
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) override {
        calls << QStringLiteral("name");
        if (answer)
            contact->setNameValue(value, FieldId::Name);
        return answer;
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact) override {
        calls << QStringLiteral("phonetic");
        if (answer && value)
            contact->setValue(*value, FieldId::PhoneticName);
        return answer;
    }
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) override {
        calls << QStringLiteral("birthday");
        if (answer)
            contact->setBirthdayValue(value.get<BirthdayRecord>() ? std::optional(*value.get<BirthdayRecord>())
                                                                  : std::nullopt);
        return answer;
    }
    bool undoReplacePhoto(const FieldValue &value, const PersonPtr &contact) override {
        calls << QStringLiteral("photo");
        if (answer)
            contact->setPhoto(value.get<QImage>() ? *value.get<QImage>() : QImage());
        return answer;
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *) override {
        calls << QStringLiteral("labeled ") + identifier;
        if (answer)
            contact->replaceLabeledValue(value, identifier);
        return answer;
    }
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *) override {
        calls << QStringLiteral("string ") + identifier;
        if (answer)
            contact->setValue(FieldValue(value.value_or(QString())), identifier);
        return answer;
    }
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier, const PersonPtr &contact,
                             QObject *) override {
        calls << QStringLiteral("add ") + identifier;
        contact->addLabeledValue(value, identifier);
    }
    bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex, const PersonPtr &contact,
                                             QObject *) override {
        calls << QStringLiteral("delete %1 %2").arg(identifier).arg(labelIndex);
        if (answer)
            contact->deleteLabeledValueForIdentifier(identifier, LabelIndex(labelIndex));
        return answer;
    }
};

// Carries the popover's edits out on the contact and says what it was asked.
struct RecordingPopoverDelegate : ContactInfoPopoverDelegate {
    QStringList calls;
    QList<DetachedWindowInfo> notices;

    void contactDidUpdate(const ContactEntry &, ContactInfoPopover *) override { calls << "updated"; }
    void rowSelectionDidChange(ContactInfoPopover *, const InfoTableRow &) override {}
    void detachedWindowDidClose(const DetachedWindowInfo &info) override { notices << info; }
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) override {
        contact->setNameValue(value, FieldId::Name);
        calls << "name " + value.firstName + "|" + value.middleName + "|" + value.lastName;
        return true;
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &, const PersonPtr &) override {
        calls << "phonetic";
        return true;
    }
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &) override {
        calls << (value.isNull() ? "birthday none" : "birthday");
        return true;
    }
    bool undoReplacePhoto(const FieldValue &value, const PersonPtr &) override {
        calls << (value.isNull() ? "photo none" : "photo");
        return true;
    }
    bool undoReplaceLabeledValue(const FieldValue &, const QString &identifier, const PersonPtr &,
                                 QObject *) override {
        calls << "replace " + identifier;
        return true;
    }
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *sender) override {
        contact->setValue(FieldValue(value.value_or(QString())), identifier);
        calls << "string " + identifier + (qobject_cast<ContactInfoPopover *>(sender) ? " from popover" : "");
        return true;
    }
    void undoAddLabeledValue(const LabeledValueRecord &, const QString &identifier, const PersonPtr &,
                             QObject *) override {
        calls << "add " + identifier;
    }
    bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex, const PersonPtr &contact,
                                             QObject *) override {
        contact->deleteLabeledValueForIdentifier(identifier, LabelIndex(labelIndex));
        calls << QStringLiteral("delete %1 %2").arg(identifier).arg(labelIndex);
        return true;
    }
};
