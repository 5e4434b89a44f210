// Kept where programs outside the project include it; the reader lives in app/reading.
#include "app/reading/QMvCardReader.h"
