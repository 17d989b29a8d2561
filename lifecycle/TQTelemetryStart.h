#pragma once

// Starts the telemetry client with the crash reporting service once per process, at the collector
// and with the secret of TQTMTelemetryEndpoint (which the environment may replace); called as the
// last step of the launch. When the previous run crashed, its reports are sent and the crash
// notice is shown. Main thread only; later calls do nothing.
void TQTelemetryStart();
