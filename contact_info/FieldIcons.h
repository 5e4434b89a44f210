#pragma once

#include "model/PersonRecords.h"

#include <QImage>
#include <QString>

#include <optional>

// The picture beside a field's name in the contact tables (the detail panel, the merge
// sheet): the field's own, else the custom item's chosen icon; null when there is none.
QImage fieldIcon(const QString &type, const std::optional<CustomItemDefinition> &customItem = std::nullopt);
// The same for a custom item the window defines: its icon is chosen in the window's
// definition (files carry none), so that one goes before the contact's own.
QImage fieldIcon(const QString &type, const std::optional<CustomItemDefinition> &contactItem,
                 const QList<CustomItemDefinition> &windowItems);
