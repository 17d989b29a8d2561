#include "lifecycle/TQUpdateCheck.h"

#include "lifecycle/TQUpdateChecker.h"
#include "platform/tqkit/TQKitRemoteParams.h"

namespace {

constexpr int kOnlineFeaturesVersion = 430;

} // namespace

bool TQUpdateCheckStartInBackground() { return TQUpdateChecker::shared().startInBackground(); }

bool TQUpdateOfferNewVersion(QWidget* window) { return TQUpdateChecker::shared().offerNewVersion(window); }

bool TQUpdateCheckIsBusy() { return TQUpdateChecker::shared().isBusy(); }

bool TQUpdateCheckWindowIsOpen() { return TQUpdateChecker::shared().windowIsOpen(); }

bool TQUpdateCheckIsRunning() { return TQUpdateChecker::shared().isRunning(); }

bool TQUpdateWindowIsBusy() { return TQUpdateChecker::shared().windowIsBusy(); }

bool TQUpdateWindowIsShown() { return TQUpdateChecker::shared().windowIsShown(); }

void TQUpdateCheckRunManual(QWidget* window) { TQUpdateChecker::shared().runManual(window); }

bool TQUpdateCheckCommandIsVisible()
{
    return TQKitRemoteParamReadInt("TQCAppVersion", 0) == kOnlineFeaturesVersion && TQKitNewVersionAvailable();
}
