#pragma once

#include "editors/EditorAnswer.h"
#include "model/PersonRecords.h"
#include "platform/core/UndoManager.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The merge sheet's undoable operations. They bear the names of the window's edit
// operations but change only the sheet's working copies, under the sheet's own undo
// manager. Each registers its inverse only when it changed the contact, so the undo stack
// alone says whether the sheet holds a change: a no-op leaves no step behind that a later
// Undo would spend.
class MergeEdits : public EditorAnswerReceiver {
public:
    enum class Change { Replaced, Added, Deleted };
    // Told after each change, also while undoing and redoing.
    using Observer = std::function<void(const PersonPtr &contact, const QString &identifier, Change change)>;

    MergeEdits();
    ~MergeEdits() override;
    MergeEdits(const MergeEdits &) = delete;
    MergeEdits &operator=(const MergeEdits &) = delete;

    UndoManager *undoManager() { return &undoManager_; }
    // The document's items: they name the kind of a field a contact does not carry.
    void setCustomItems(const QList<CustomItemDefinition> &items) { customItems_ = items; }
    void setObserver(Observer observer) { observer_ = std::move(observer); }
    // Grows by one with every change made (undoing and redoing included): callers compare
    // it before and after a compound action to know whether anything changed.
    quint64 changeSerial() const { return changeSerial_; }

    // Null empties the field, a list replaces it, one record replaces the value of its
    // running number. A text is a caller's mistake and is refused with a log line.
    bool undoReplaceLabeledValue(const FieldValue &value, const QString &identifier, const PersonPtr &contact,
                                 QObject *sender = nullptr) override;
    // Refused (logged) for a labeled field; nil changes nothing.
    bool undoReplaceStringValue(const std::optional<QString> &value, const QString &identifier,
                                const PersonPtr &contact);
    // An image or nil; any other value changes nothing.
    bool undoReplacePhoto(const FieldValue &value, const PersonPtr &contact);
    // The stored bytes of a photo, so that a JPEG moves as it was read; empty clears it.
    bool undoReplacePhotoData(const QByteArray &data, const PersonPtr &contact);
    bool undoReplaceNameValue(const std::optional<NameRecord> &value, const PersonPtr &contact);
    bool undoReplacePhoneticNameValue(const std::optional<PhoneticNameRecord> &value,
                                      const PersonPtr &contact) override;
    // A birthday record or null; anything else changes nothing.
    bool undoReplaceBirthday(const FieldValue &value, const PersonPtr &contact) override;
    bool undoDeleteLabeledValueForIdentifier(const QString &identifier, qint64 labelIndex,
                                             const PersonPtr &contact);
    void undoAddLabeledValue(const LabeledValueRecord &value, const QString &identifier, const PersonPtr &contact,
                             QObject *sender = nullptr) override;

    QString kindOf(QMPerson &person, const QString &identifier) const;
    // The bytes a photo is stored in (the thumbnail's when only that was read).
    static QByteArray photoBytes(const QMPerson &person);

private:
    // Runs `apply`; when `state` then differs from what it was, registers `inverse` (made
    // with the former state) and reports the change.
    template <typename State>
    bool change(const PersonPtr &contact, const QString &identifier, Change kind, const std::function<State()> &state,
                const std::function<void()> &apply,
                const std::function<std::function<void()>(const State &former)> &inverse);
    bool replaceLabeledList(const LabeledValueList &list, bool empty, const QString &identifier,
                            const PersonPtr &contact);

    UndoManager undoManager_;
    QList<CustomItemDefinition> customItems_;
    Observer observer_;
    quint64 changeSerial_ = 0;
};
