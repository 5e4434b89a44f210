#include "merge/MergeEdits.h"

#include "merge/MergeRows.h"
#include "model/QMPerson.h"
#include "platform/core/Log.h"

#include <QBuffer>

namespace {

LabeledValueList listOf(QMPerson &person, const QString &identifier) {
    return person.labeledValueForIdentifier(identifier).value_or(LabeledValueList{});
}

// A cleared birthday and one never set read alike.
std::optional<DateComponents> birthdayOf(QMPerson &person) {
    const auto birthday = person.birthdayValue();
    return birthday ? birthday->value : std::nullopt;
}

PhoneticNameRecord phoneticOf(QMPerson &person) {
    return person.phoneticNameValue().value_or(PhoneticNameRecord());
}

} // namespace

MergeEdits::MergeEdits() = default;

MergeEdits::~MergeEdits() {
    // The registered inverses point at this object.
    undoManager_.removeAllActions();
}

QByteArray MergeEdits::photoBytes(const QMPerson &person) {
    return person.imageData().isEmpty() ? person.thumbnailImageData() : person.imageData();
}

QString MergeEdits::kindOf(QMPerson &person, const QString &identifier) const {
    return MergeRows::kindOf(person, identifier, customItems_);
}

template <typename State>
bool MergeEdits::change(const PersonPtr &contact, const QString &identifier, Change kind,
                        const std::function<State()> &state, const std::function<void()> &apply,
                        const std::function<std::function<void()>(const State &former)> &inverse) {
    const State former = state();
    apply();
    if (state() == former)
        return false;
    undoManager_.registerUndo(this, inverse(former));
    ++changeSerial_;
    if (observer_)
        observer_(contact, identifier, kind);
    return true;
}

bool MergeEdits::undoReplaceLabeledValue(const FieldValue &value, const QString &identifier,
                                         const PersonPtr &contact, QObject *) {
    if (value.is<QString>()) {
        logError("-[MergePanelController undoReplaceLabeledValue:forIdentifier:inContact:]",
                 QStringLiteral("ERROR"));
        return false;
    }
    if (!contact || kindOf(*contact, identifier) != ValueKind::Labeled)
        return false;
    if (value.isNull())
        return replaceLabeledList({}, true, identifier, contact);
    if (const auto *list = value.get<LabeledValueList>())
        return replaceLabeledList(*list, list->isEmpty(), identifier, contact);
    const auto *record = value.get<LabeledValueRecord>();
    if (!record)
        return false;
    const auto current = contact->labeledValueForIdentifier(identifier, LabelIndex(record->labelIndex));
    if (!current)
        return false;
    return change<LabeledValueList>(
        contact, identifier, Change::Replaced, [&] { return listOf(*contact, identifier); },
        [&] { contact->replaceLabeledValue(*record, identifier); },
        [this, former = *current, identifier, contact](const LabeledValueList &) -> std::function<void()> {
            return [this, former, identifier, contact] { undoReplaceLabeledValue(former, identifier, contact); };
        });
}

bool MergeEdits::replaceLabeledList(const LabeledValueList &list, bool empty, const QString &identifier,
                                    const PersonPtr &contact) {
    return change<LabeledValueList>(
        contact, identifier, Change::Replaced, [&] { return listOf(*contact, identifier); },
        [&] {
            // A document's item the contact does not carry yet is defined by its first values.
            if (contact->typeForIdentifier(identifier).isEmpty() && !empty)
                contact->addLabeledValue(list, identifier);
            else
                contact->replaceLabeledValue(empty ? FieldValue() : FieldValue(list), identifier);
        },
        [this, identifier, contact](const LabeledValueList &former) -> std::function<void()> {
            return [this, former, identifier, contact] { undoReplaceLabeledValue(former, identifier, contact); };
        });
}

bool MergeEdits::undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                        const PersonPtr &contact) {
    if (!contact)
        return false;
    if (kindOf(*contact, identifier) == ValueKind::Labeled) {
        logRefusal();
        return false;
    }
    if (!value)
        return false;
    return change<QString>(
        contact, identifier, Change::Replaced, [&] { return contact->stringValueForIdentifier(identifier); },
        [&] { contact->setValue(FieldValue(*value), identifier); },
        [this, identifier, contact](const QString &former) -> std::function<void()> {
            return [this, former, identifier, contact] { undoReplaceStringValue(former, identifier, contact); };
        });
}

bool MergeEdits::undoReplacePhoto(const FieldValue &value, const PersonPtr &contact) {
    if (!contact)
        return false;
    if (value.isNull())
        return undoReplacePhotoData({}, contact);
    const QImage *image = value.get<QImage>();
    if (!image || image->isNull() || *image == contact->photo())
        return false;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image->save(&buffer, "PNG"))
        return false;
    return undoReplacePhotoData(png, contact);
}

bool MergeEdits::undoReplacePhotoData(const QByteArray &data, const PersonPtr &contact) {
    if (!contact)
        return false;
    return change<QByteArray>(
        contact, FieldId::Photo, Change::Replaced, [&] { return photoBytes(*contact); },
        [&] {
            if (data.isEmpty() || !contact->setPhotoData(data))
                contact->setPhoto(QImage());
        },
        [this, contact](const QByteArray &former) -> std::function<void()> {
            return [this, former, contact] { undoReplacePhotoData(former, contact); };
        });
}

bool MergeEdits::undoReplaceNameValue(const std::optional<NameRecord> &value, const PersonPtr &contact) {
    if (!contact)
        return false;
    return change<NameRecord>(
        contact, FieldId::Name, Change::Replaced, [&] { return contact->nameValue(); },
        [&] { contact->setNameValue(value ? FieldValue(*value) : FieldValue(), FieldId::Name); },
        [this, contact](const NameRecord &former) -> std::function<void()> {
            return [this, former, contact] { undoReplaceNameValue(former, contact); };
        });
}

bool MergeEdits::undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                              const PersonPtr &contact) {
    if (!contact)
        return false;
    return change<PhoneticNameRecord>(
        contact, FieldId::PhoneticName, Change::Replaced, [&] { return phoneticOf(*contact); },
        [&] { contact->setNameValue(value ? FieldValue(*value) : FieldValue(), FieldId::PhoneticName); },
        [this, contact](const PhoneticNameRecord &former) -> std::function<void()> {
            return [this, former, contact] { undoReplacePhoneticNameValue(former, contact); };
        });
}

bool MergeEdits::undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) {
    if (!contact || (!value.isNull() && !value.is<BirthdayRecord>()))
        return false;
    const auto *record = value.get<BirthdayRecord>();
    const std::optional<BirthdayRecord> formerRecord = contact->birthdayValue();
    return change<std::optional<DateComponents>>(
        contact, FieldId::Birthday, Change::Replaced, [&] { return birthdayOf(*contact); },
        [&] { contact->setBirthdayValue(record ? std::optional<BirthdayRecord>(*record) : std::nullopt); },
        [this, contact, formerRecord](const std::optional<DateComponents> &former) -> std::function<void()> {
            const FieldValue back = former ? FieldValue(*formerRecord) : FieldValue();
            return [this, back, contact] { undoReplaceBirthday(back, contact); };
        });
}

bool MergeEdits::undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                                     const PersonPtr &contact) {
    if (!contact || kindOf(*contact, identifier) != ValueKind::Labeled)
        return false;
    return change<LabeledValueList>(
        contact, identifier, Change::Deleted, [&] { return listOf(*contact, identifier); },
        [&] { contact->deleteLabeledValueForIdentifier(identifier, LabelIndex(labelIndex)); },
        [this, identifier, contact](const LabeledValueList &former) -> std::function<void()> {
            return [this, former, identifier, contact] { undoReplaceLabeledValue(former, identifier, contact); };
        });
}

void MergeEdits::undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier,
                                     const PersonPtr &contact, QObject *) {
    if (!contact || kindOf(*contact, identifier) != ValueKind::Labeled)
        return;
    change<LabeledValueList>(
        contact, identifier, Change::Added, [&] { return listOf(*contact, identifier); },
        [&] { contact->addLabeledValue(value, identifier); },
        [this, identifier, contact](const LabeledValueList &former) -> std::function<void()> {
            return [this, former, identifier, contact] { undoReplaceLabeledValue(former, identifier, contact); };
        });
}
