#include "lifecycle/TQTelemetryStart.h"

void TQTelemetryStart() {}
