#pragma once

// Starts the telemetry client once per process, at the collector and with the secret of
// TQTMTelemetryEndpoint (which the environment may replace); called as the last step of the
// launch. The client starts with no services: the crash service and its notice after a crash join
// it once they exist. Main thread only; later calls do nothing.
void TQTelemetryStart();
