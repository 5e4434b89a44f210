#pragma once

#include "model/PersonRecords.h"

#include <QImage>
#include <QString>

#include <optional>

// The picture beside a field's name in the contact tables (the detail panel, the merge
// sheet): the field's own, else the custom item's chosen icon; null when there is none.
QImage fieldIcon(const QString &type, const std::optional<CustomItemDefinition> &customItem = std::nullopt);
