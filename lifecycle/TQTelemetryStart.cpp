#include "lifecycle/TQTelemetryStart.h"

#include "crashes/TQTMCrashes.h"
#include "lifecycle/TQCrashNotice.h"
#include "platform/tqkit/TQKitMutex.h"
#include "telemetry/TQTMTelemetry.h"
#include "telemetry/TQTMTelemetryEndpoint.h"

#include <atomic>
#include <mutex>

namespace {

TQKitMutex startMutex;
std::atomic<bool> started = false;

void startWithCrashReporting()
{
    // A collector address that is no http or https URL keeps the client off (the endpoint says
    // why), rather than send to an address nobody chose.
    const auto baseUrl = TQTMTelemetryEndpoint::baseUrl();
    if (!baseUrl)
        return;
    TQTMTelemetry::setLogUrl(*baseUrl);
    TQTMTelemetry::start(TQTMTelemetryEndpoint::appSecret(), TQTMServiceList{TQTMCrashes::sharedInstance()});
    if (!TQTMCrashes::hasCrashedInLastSession())
        return;
    // Said before the notice and whatever its answer: the last run's reports go out in the
    // service's own pass a moment later, and so do later ones.
    TQTMCrashes::notifyWithUserConfirmation(TQTMUserConfirmationAlways);
    TQCrashNoticeShow();
}

} // namespace

void TQTelemetryStart()
{
    if (started)
        return;
    std::lock_guard lock(startMutex);
    if (started)
        return;
    startWithCrashReporting();
    started = true;
}
