#pragma once

// Starts the telemetry client with its crash service, once per process; called as the last step of
// the launch. This build has no telemetry client yet, so it does nothing. Main thread only.
void TQTelemetryStart();
