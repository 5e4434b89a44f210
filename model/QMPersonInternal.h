#pragma once

#include <QString>
#include <QStringList>

// Helpers shared by the files of QMPerson; not for other callers.
namespace QMPersonInternal {

// Appends words to an identifier's custom label list alone (a labeled custom item made by
// the generic setter), under the label tables' lock.
void addCustomLabels(const QString &identifier, const QStringList &words);

} // namespace QMPersonInternal
