#pragma once

#include "model/QMvCard.h"
#include "platform/ui/Dialogs.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tessarin {

// What a read of the file left out, in the words Open and Import both use; none when the
// read left nothing out.
std::optional<Alert> leftOutAlert(const QString &fileName, const VCardLeftOut &leftOut);

// Shows leftOutAlert as a sheet on the window; then runs `then` (at once when there is
// nothing to say).
void showLeftOut(QWidget *window, const QString &fileName, const VCardLeftOut &leftOut,
                 std::function<void()> then = {});

} // namespace tessarin
