#pragma once

// What the popover editor path tests share: a contact holding every kind, and ways to reach
// an editor's cells and popups.

#include "tests/editors/AddressEditorDriving.h"
#include "tests/editors/PostalCodeFixtures.h"

#include "editors/AddressViewController.h"
#include "editors/CountryPullDown.h"
#include "editors/CustomLabelPanel.h"
#include "editors/DateViewController.h"
#include "editors/DatesViewController.h"
#include "editors/IMSViewController.h"
#include "editors/LabeledValueEditor.h"
#include "editors/MultiValueViewController.h"
#include "editors/NameViewController.h"
#include "editors/PhoneticNameViewController.h"
#include "editors/SNSViewController.h"
#include "model/QMPerson.h"
#include "platform/contacts/CNFormatters.h"
#include "platform/contacts/CNLabels.h"
#include "platform/core/UserDefaults.h"
#include "platform/ui/Pasteboard.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace editor_paths {


using Drop = MultiValueViewController::DropOperation;

// A value in every kind a popover edits, two of most, and labeled and text custom items.
inline std::shared_ptr<QMPerson> everyKind() {
    auto person = personFromVCard(
        QStringLiteral("N:Lee;Ann;;;\nFN:Ann Lee\nORG:Acme\n"
                       "X-PHONETIC-FIRST-NAME:an\nX-PHONETIC-LAST-NAME:rii\n"
                       "TEL;TYPE=HOME:111\nTEL;TYPE=WORK:222\n"
                       "EMAIL;TYPE=HOME:ann@home.example\nEMAIL;TYPE=WORK:ann@work.example\n"
                       "URL;TYPE=HOME:http://ann.example\nURL;TYPE=WORK:http://acme.example\n"
                       "item1.X-ABRELATEDNAMES:Bob\nitem1.X-ABLabel:_$!<Friend>!$_\n"
                       "item2.X-ABRELATEDNAMES:Cy\nitem2.X-ABLabel:_$!<Brother>!$_\n"
                       "IMPP;X-SERVICE-TYPE=Jabber;TYPE=WORK:xmpp:ann@jabber.example\n"
                       "IMPP;X-SERVICE-TYPE=Skype;TYPE=HOME:skype:ann.lee\n"
                       "X-SOCIALPROFILE;TYPE=twitter;x-user=ann;x-userid=7:https://twitter.com/ann\n"
                       "X-SOCIALPROFILE;TYPE=flickr;x-user=pics;x-userid=8:https://flickr.com/pics\n"
                       "item3.ADR;TYPE=HOME:;;1 Main St;Springfield;IL;62701;USA\nitem3.X-ABADR:us\n"
                       "item4.ADR;TYPE=WORK:;;Unter den Linden 1;Berlin;;10117;Germany\nitem4.X-ABADR:de\n"
                       "BDAY:1980-04-12\n"
                       "item5.X-ABDATE:2001-02-03\nitem5.X-ABLabel:_$!<Anniversary>!$_\n"));
    // The document's items, as a window registers them.
    const QStringList pets = {QStringLiteral("cat"), QStringLiteral("dog")};
    person->addCustomItem(ValueKind::Labeled, QStringLiteral("Pets"), pets, std::nullopt);
    for (const QString &label : pets)
        QMPerson::setLabel(QString(), label, QStringLiteral("Pets"));
    LabeledValueList values;
    for (const QString &name : {QStringLiteral("Tama"), QStringLiteral("Pochi")}) {
        LabeledValueRecord record;
        record.label = pets.at(values.size());
        record.value = name;
        record.stringValue = name;
        record.labelIndex = values.size();
        values.append(record);
    }
    person->setValue(values, QStringLiteral("Pets"));
    person->addCustomItem(ValueKind::String, QStringLiteral("Locker"), std::nullopt, std::nullopt);
    person->setValue(QStringLiteral("B-12"), QStringLiteral("Locker"));
    return person;
}

// The window's edits on the contact itself, so that what an answer stores, and the texts
// derived from it, can be read back.
class ApplyingReceiver : public EditorAnswerReceiver {
public:
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) override {
        const auto *birthday = value.get<BirthdayRecord>();
        contact->setBirthdayValue(birthday ? std::optional<BirthdayRecord>(*birthday) : std::nullopt);
        return true;
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact) override {
        contact->setNameValue(FieldValue(value), FieldId::PhoneticName);
        return true;
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *) override {
        contact->replaceLabeledValue(value, identifier);
        return true;
    }
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier,
                             const PersonPtr &contact, QObject *) override {
        contact->addLabeledValue(value, identifier);
    }
};

// A record's text under a column of the list editor, or under an address part.
inline QString partOf(const LabeledValueRecord &record, const QString &key) {
    if (const QString *part = record.addressPart(key))
        return *part;
    if (key == QStringLiteral("User Identifier"))
        return record.userIdentifier;
    if (key == QStringLiteral("URL String"))
        return record.urlString;
    if (key == QStringLiteral("Username"))
        return record.username.value_or(QString());
    return record.valueText();
}

template <typename Widget> Widget *cellWidget(QTableView *table, int row, int column) {
    return qobject_cast<Widget *>(table->indexWidget(table->model()->index(row, column)));
}

inline int columnOf(const MultiValueViewController *editor, const QString &identifier) {
    for (int i = 0; i < editor->columns().size(); ++i)
        if (editor->columns()[i].identifier == identifier)
            return i;
    ADD_FAILURE() << "no column " << identifier.toStdString();
    return -1;
}

// A notch of the wheel over a widget, as a user scrolling past it gives.
inline void wheelOver(QWidget *widget, int notches = -1) {
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

class EditorPaths : public testing::Test {
protected:
    void SetUp() override {
        PostalCodeFixtures::useSharedFixtureDirectory();
        CNContactsUserDefaults::sharedDefaults().setCountryCode(QStringLiteral("JP"));
        UserDefaults::standard().setObject(QStringList{QStringLiteral("en")},
                                           QStringLiteral("AppleLanguages"));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        person = everyKind();
        before = person->vCardData();
        scene.answer.reset();
        scene.closes = 0;
    }
    void TearDown() override {
        UserDefaults::standard().removeObject(QStringLiteral("AppleLanguages"));
        QLocale::setDefault(QLocale::c());
    }

    template <typename Editor>
    Editor *open(const QString &type, std::optional<qint64> labelIndex, bool editable = true,
                 std::optional<bool> editEnabled = true) {
        return scene.open<Editor>(editorContext(person, type, labelIndex, editEnabled), editable);
    }
    MultiValueViewController *openList(const QString &type, bool editable = true,
                                       std::optional<bool> editEnabled = true) {
        auto *editor = new MultiValueViewController;
        scene.popover = editor->openInPopover(editorContext(person, type, 0, editEnabled), editable,
                                              MultiValueViewController::contentSizeFor(type, false),
                                              QRect(100, 40, 160, 20), scene.table, &scene, &scene.window);
        return editor;
    }
    static void press(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }
    // Applies what the last editor handed back, as its opener does; whether it changed anything.
    bool apply() {
        if (!scene.answer)
            return false;
        ApplyingReceiver receiver;
        return applyEditorAnswer(*scene.answer, receiver, person, nullptr);
    }
    bool unchanged() { return person->vCardData() == before; }

    EditorScene scene;
    std::shared_ptr<QMPerson> person;
    QByteArray before;
};

} // namespace editor_paths
