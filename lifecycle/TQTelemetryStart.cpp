#include "lifecycle/TQTelemetryStart.h"

#include "platform/tqkit/TQKitMutex.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMTelemetryEndpoint.h"

#include <atomic>
#include <mutex>

namespace {

TQKitMutex startMutex;
std::atomic<bool> started = false;

} // namespace

void TQTelemetryStart()
{
    if (started)
        return;
    std::lock_guard lock(startMutex);
    if (started)
        return;
    // A collector address that is no http or https URL keeps the client off (the endpoint says
    // why), rather than send to an address nobody chose.
    if (const auto baseUrl = TQTMTelemetryEndpoint::baseUrl()) {
        TQTMTelemetry::setLogUrl(*baseUrl);
        TQTMTelemetry::start(TQTMTelemetryEndpoint::appSecret(), TQTMServiceList{});
    }
    started = true;
}
