// Kept where programs outside the project include it; the export lives in app/transfer.
#include "app/transfer/ExportCommand.h"
