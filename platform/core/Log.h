#pragma once

#include <QString>

// Internal inconsistencies: logged with the operation's name first, never shown to the user.
void logError(const char *operation, const QString &message);
// The undoable operations' refusals log the bare text "ERROR".
void logRefusal();
