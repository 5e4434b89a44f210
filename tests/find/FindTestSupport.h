#pragma once

#include "contacts_table/SubContactRow.h"
#include "find/FindPanel.h"
#include "find/FindPanelEdits.h"
#include "model/QMPerson.h"
#include "platform/core/UndoManager.h"
#include "tests/editors/EditorTestSupport.h"
#include "tests/model/PersonTestSupport.h"

#include <QLineEdit>
#include <QTest>

// A contact from vCard lines, as a group's entry.
inline ContactEntry entryFromVCard(const QString &body) {
    return ContactEntry::withPerson(personFromVCard(body));
}

// Rows as the table shows them: `count` rows for each contact, one per value position.
inline SubContactTable tableRows(const QList<std::shared_ptr<QMPerson>> &people,
                                 const std::function<qsizetype(QMPerson &)> &count) {
    SubContactTable rows;
    for (const auto &person : people) {
        for (qsizetype i = 0; i < std::max<qsizetype>(1, count(*person)); ++i) {
            auto row = std::make_shared<SubContactRow>();
            row->person = person;
            row->uniqueId = person->uniqueId();
            row->labelIndex = i;
            row->notFirstRow = i > 0;
            rows.push_back(row);
        }
    }
    return rows;
}

// The window's edit operations, recorded; each answers `accept`.
class RecordingEdits : public FindPanelEdits {
public:
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &) override {
        return record(QStringLiteral("name ") + value.firstName + u'/' + value.lastName);
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &) override {
        return record(QStringLiteral("phonetic ") + (value ? value->lastName : QString()));
    }
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &) override {
        const auto *birthday = value.get<BirthdayRecord>();
        return record(QStringLiteral("birthday ") +
                      (birthday ? birthday->stringValue : QStringLiteral("none")));
    }
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &, QObject *) override {
        return record(identifier + u' ' + value.value_or(QString()));
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &,
                                 QObject *) override {
        const auto *one = value.get<LabeledValueRecord>();
        const auto *list = value.get<LabeledValueList>();
        QStringList parts;
        if (one)
            parts = {one->valueText(), one->street, one->zip};
        else if (list)
            parts = {QString::number(list->size())};
        parts.removeAll(QString());
        return record(identifier + u' ' + parts.join(u','));
    }
    bool record(const QString &call) {
        calls.append(call);
        return accept;
    }
    QStringList calls;
    bool accept = true;
};

// The window's edit operations on real records, each registering its inverse on a
// document's undo manager as the window's do.
class ApplyingEdits : public FindPanelEdits {
public:
    bool undoReplaceNameValue(const NameRecord &value, const PersonPtr &contact) override {
        remember(contact, [former = contact->nameValue()](ApplyingEdits &e, const PersonPtr &c) {
            e.undoReplaceNameValue(former, c);
        });
        contact->setNameValue(value, FieldId::Name);
        return true;
    }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact) override {
        remember(contact, [former = contact->phoneticNameValue()](ApplyingEdits &e, const PersonPtr &c) {
            e.undoReplacePhoneticNameValue(former, c);
        });
        contact->setNameValue(FieldValue(value), FieldId::PhoneticName);
        return true;
    }
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) override {
        remember(contact, [former = FieldValue(contact->birthdayValue())](
                              ApplyingEdits &e, const PersonPtr &c) { e.undoReplaceBirthday(former, c); });
        const auto *record = value.get<BirthdayRecord>();
        contact->setBirthdayValue(record ? std::optional<BirthdayRecord>(*record) : std::nullopt);
        return true;
    }
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact, QObject *sender) override {
        remember(contact, [former = contact->stringValueForIdentifier(identifier), identifier,
                           sender](ApplyingEdits &e, const PersonPtr &c) {
            e.undoReplaceStringValue(former, identifier, c, sender);
        });
        contact->setValue(FieldValue(value.value_or(QString())), identifier);
        return true;
    }
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *sender) override {
        const auto *one = value.get<LabeledValueRecord>();
        const FieldValue former =
            one ? FieldValue(contact->labeledValueForIdentifier(identifier, LabelIndex(one->labelIndex))
                                 .value_or(LabeledValueRecord()))
                : FieldValue(contact->labeledValueForIdentifier(identifier));
        remember(contact, [former, identifier, sender](ApplyingEdits &e, const PersonPtr &c) {
            e.undoReplaceLabeledValue(former, identifier, c, sender);
        });
        contact->replaceLabeledValue(value, identifier);
        return true;
    }

    UndoManager documentUndo;

private:
    void remember(const PersonPtr &contact, std::function<void(ApplyingEdits &, const PersonPtr &)> inverse) {
        documentUndo.registerUndo(this, [this, contact, inverse] { inverse(*this, contact); });
    }
};

// Sets the window's search field and presses Return, as a user does.
inline void enterSearch(FindPanel &panel, const QString &text) {
    panel.searchField()->setText(text);
    QTest::keyClick(panel.searchField(), Qt::Key_Return);
}

inline bool waitForResults(FindPanel &panel) {
    return QTest::qWaitFor([&] { return !panel.isSearching(); }, 20000);
}
