#include "merge/result/MergeResult.h"

#include "model/QMPerson.h"

namespace {

QString kindOf(QMPerson &merged, QMPerson &original, const QString &identifier,
               const QList<CustomItemDefinition> &definitions) {
    for (const CustomItemDefinition &item : definitions)
        if (item.name == identifier)
            return item.type;
    const QString kind = merged.typeForIdentifier(identifier);
    return kind.isEmpty() ? original.typeForIdentifier(identifier) : kind;
}

FieldValue valueOf(QMPerson &person, const QString &identifier, const QString &kind) {
    if (kind == ValueKind::Labeled)
        return person.labeledValueForIdentifier(identifier).value_or(LabeledValueList{});
    return person.stringValueForIdentifier(identifier);
}

} // namespace

QList<CustomItemChange> changedCustomItems(QMPerson &merged, QMPerson &original,
                                           const QList<CustomItemDefinition> &definitions) {
    QStringList identifiers;
    for (const CustomItemDefinition &item : definitions)
        identifiers.append(item.name);
    for (QMPerson *person : {&merged, &original})
        for (const QString &identifier : person->customIdentifiers())
            if (!identifiers.contains(identifier))
                identifiers.append(identifier);

    QList<CustomItemChange> changes;
    for (const QString &identifier : std::as_const(identifiers)) {
        const QString kind = kindOf(merged, original, identifier, definitions);
        if (kind != ValueKind::Labeled && kind != ValueKind::String)
            continue;
        const FieldValue value = valueOf(merged, identifier, kind);
        if (value != valueOf(original, identifier, kind))
            changes.append({identifier, kind, value});
    }
    return changes;
}
