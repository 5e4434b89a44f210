#pragma once

#include "contacts_table/ContactsViewController.h"
#include "model/QMPerson.h"
#include "model/ViewTypes.h"
#include "platform/core/UserDefaults.h"

#include <QTableView>

#include <gtest/gtest.h>

namespace contacts_table_test {

inline LabeledValueRecord labeled(const QString &label, const QString &value) {
    LabeledValueRecord record;
    record.label = label;
    record.value = value;
    return record;
}

// A contact with a given and a family name shown given name first.
inline std::shared_ptr<QMPerson> person(const QString &first, const QString &last = {}) {
    auto p = std::make_shared<QMPerson>();
    NameRecord name;
    name.firstName = first;
    name.lastName = last;
    name.nameOrdering = 1;
    p->setNameValue(name, FieldId::Name);
    return p;
}

inline ContactEntry entry(const std::shared_ptr<QMPerson> &p) {
    ContactEntry e;
    e.person = p;
    e.uniqueId = p->uniqueId();
    return e;
}

inline SharedContactTable table(const QList<std::shared_ptr<QMPerson>> &people) {
    auto t = std::make_shared<ContactTable>();
    for (const auto &p : people)
        t->append(entry(p));
    return t;
}

struct RecordingDelegate : ContactsViewControllerDelegate {
    QList<SubContactRowPtr> selections;
    QList<QList<SortDescriptor>> sorts;
    QString groupName = QStringLiteral("All Contacts");

    void rowSelectionDidChange(const SubContactRowPtr &row) override { selections.append(row); }
    void sortDescriptorsDidChange(const QList<SortDescriptor> &d) override { sorts.append(d); }
    QString selectedGroupName() override { return groupName; }
    // The table's edits go nowhere here: the window's tests carry them out.
    bool undoReplaceBirthday(const FieldValue &, const PersonPtr &) override { return false; }
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &, const PersonPtr &) override {
        return false;
    }
    bool undoReplaceLabeledValue(const FieldValue &, const QString &, const PersonPtr &, QObject *) override {
        return false;
    }
    void undoAddLabeledValue(const LabeledValueRecord &, const QString &, const PersonPtr &, QObject *) override {}
    bool undoDeleteLabeledValueForIdentifier(const QString &, qint64, const PersonPtr &, QObject *) override {
        return false;
    }
    bool undoReplaceStringValue(const std::optional<QString> &, const QString &, const PersonPtr &,
                                QObject *) override {
        return false;
    }
    NameViewControllerDelegate *nameViewControllerDelegate() override { return nullptr; }
    ContactInfoPopoverDelegate *contactInfoPopoverDelegate() override { return nullptr; }
};

// Fresh preferences holding the factory view types and sort options.
inline void factoryDefaults(const QString &viewType = QStringLiteral("Phone")) {
    UserDefaults &defaults = UserDefaults::standard();
    defaults.resetAll();
    defaults.setObject(ViewTypes::aViewTypeDict(), QStringLiteral("QM1DviewTypeDict"));
    defaults.setObject(SortOptions::factorySortOptionsDict(), QStringLiteral("QM1DsortOptionsDict"));
    defaults.setObject(viewType, QStringLiteral("QM1DselectedViewType"));
}

inline void setColumns(const QString &viewType, const QStringList &identifiers) {
    UserDefaults &defaults = UserDefaults::standard();
    QVariantMap types = defaults.dictionaryForKey(QStringLiteral("QM1DviewTypeDict"));
    types.insert(viewType, identifiers);
    defaults.setObject(types, QStringLiteral("QM1DviewTypeDict"));
    defaults.setObject(viewType, QStringLiteral("QM1DselectedViewType"));
}

} // namespace contacts_table_test
