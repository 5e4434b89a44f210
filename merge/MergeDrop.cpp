#include "merge/MergeDrop.h"

#include "merge/MergeEdits.h"
#include "model/QMPerson.h"

namespace {

using PersonPtr = std::shared_ptr<QMPerson>;

QString namePart(QMPerson &person, const QString &type, const QString &part) {
    if (type == FieldId::Name) {
        NameRecord name = person.nameValue();
        const QString *text = name.part(part);
        return text ? *text : QString();
    }
    PhoneticNameRecord phonetic = person.phoneticNameValue().value_or(PhoneticNameRecord());
    const QString *text = phonetic.part(part);
    return text ? *text : QString();
}

// Sets one part of the name or the phonetic name through the sheet's operation.
void setNamePart(MergeEdits &edits, const PersonPtr &contact, const QString &type, const QString &part,
                 const QString &text) {
    if (type == FieldId::Name) {
        NameRecord name = contact->nameValue();
        if (QString *slot = name.part(part)) {
            *slot = text;
            edits.undoReplaceNameValue(name, contact);
        }
        return;
    }
    PhoneticNameRecord phonetic = contact->phoneticNameValue().value_or(PhoneticNameRecord());
    if (QString *slot = phonetic.part(part)) {
        *slot = text;
        edits.undoReplacePhoneticNameValue(phonetic, contact);
    }
}

// The value lands in the target: added above a row or on a placeholder, else in place of
// the value it was dropped on.
void putLabeledValue(MergeEdits &edits, LabeledValueRecord value, const MergeRow &target,
                     MergeDropPosition position, const PersonPtr &contact) {
    if (position == MergeDropPosition::Above || target.isPlaceholder()) {
        edits.undoAddLabeledValue(value, target.type, contact);
        return;
    }
    value.labelIndex = *target.labelIndex;
    edits.undoReplaceLabeledValue(value, target.type, contact);
}

} // namespace

MergeDragContent mergeDragContent(const MergeRow &row, QMPerson &person,
                                  const QList<CustomItemDefinition> &customItems) {
    MergeDragContent content;
    QString text;
    if (row.type == FieldId::Name || row.type == FieldId::PhoneticName) {
        text = namePart(person, row.type, row.labelText());
    } else if (row.type == FieldId::Photo) {
        content.photo = MergeEdits::photoBytes(person);
        return content;
    } else if (row.type == FieldId::Birthday) {
        const auto birthday = person.birthdayValue();
        text = birthday ? birthday->stringValue : QString();
    } else if (MergeRows::kindOf(person, row.type, customItems) == ValueKind::Labeled) {
        if (row.index && *row.index >= 0)
            if (const auto value = person.labeledValueForIdentifier(row.type, *row.index))
                text = value->stringValue;
    } else {
        text = person.valueForIdentifier(row.type).text();
    }
    if (!text.isEmpty())
        content.text = row.labelText() + QStringLiteral(": ") + text;
    return content;
}

bool validateMergeDrop(bool editing, bool fromOtherTable, const MergeRow &dragged, const MergeTable &target,
                       int row, MergeDropPosition position, QMPerson &targetContact,
                       const QList<CustomItemDefinition> &customItems) {
    if (!editing || !fromOtherTable || dragged.type.isEmpty() || row < 0 || row >= target.size())
        return false;
    const MergeRow &onto = target[row];
    if (onto.type != dragged.type)
        return false;
    if (MergeRows::kindOf(targetContact, onto.type, customItems) == ValueKind::Labeled)
        return onto.valueCount.value_or(-1) >= 0;
    return position == MergeDropPosition::On;
}

bool acceptMergeDrop(MergeEdits &edits, MergeRow dragged, MergeRow target, MergeDropPosition position,
                     bool copy, const PersonPtr &source, const PersonPtr &targetContact) {
    if (!source || !targetContact || dragged.type != target.type)
        return false;
    const QString &type = dragged.type;
    const bool labeled = edits.kindOf(*targetContact, type) == ValueKind::Labeled;
    // A placeholder carries no value.
    if (labeled && (!dragged.labelIndex || *dragged.labelIndex < 0))
        return false;
    const quint64 before = edits.changeSerial();
    UndoManager *undo = edits.undoManager();
    undo->beginUndoGrouping();
    if (type == FieldId::Name || type == FieldId::PhoneticName) {
        // The dragged part, whichever part of the target it was dropped on.
        const QString part = dragged.labelText();
        const QString text = namePart(*source, type, part);
        if (!copy)
            setNamePart(edits, source, type, part, QString());
        setNamePart(edits, targetContact, type, part, text);
    } else if (type == FieldId::Photo) {
        const QByteArray photo = MergeEdits::photoBytes(*source);
        if (!copy)
            edits.undoReplacePhotoData({}, source);
        edits.undoReplacePhotoData(photo, targetContact);
    } else if (type == FieldId::Birthday) {
        const FieldValue birthday(source->birthdayValue());
        if (!copy)
            edits.undoReplaceBirthday(FieldValue(), source);
        edits.undoReplaceBirthday(birthday, targetContact);
    } else if (labeled) {
        if (const auto value = source->labeledValueForIdentifier(type, LabelIndex(*dragged.labelIndex))) {
            if (!copy)
                edits.undoDeleteLabeledValueForIdentifier(type, *dragged.labelIndex, source);
            putLabeledValue(edits, *value, target, position, targetContact);
        }
    } else {
        const QString text = source->stringValueForIdentifier(type);
        if (!copy)
            edits.undoReplaceStringValue(QString(), type, source);
        edits.undoReplaceStringValue(text, type, targetContact);
    }
    undo->endUndoGrouping();
    return edits.changeSerial() != before;
}
