#pragma once

#include "model/PersonRecords.h"

// A custom item as a window lists it: labeled when it has labels.
inline CustomItemDefinition customItem(const QString &name, const QStringList &labels = {},
                                       bool locked = false) {
    CustomItemDefinition definition;
    definition.name = name;
    definition.type = labels.isEmpty() ? ValueKind::String : ValueKind::Labeled;
    definition.labels = labels;
    definition.locked = locked;
    return definition;
}
