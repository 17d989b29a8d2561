#include "app/launch/TQProcessEntry.h"

#include "app/launch/TQCAppMainInterface.h"
#include "app/launch/TQCApplication.h"
#include "lifecycle/TQAnalytics.h"
#include "platform/tqkit-ui/TQKitAppMain.h"
#include "platform/tqkit/TQKitProcess.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

constexpr char kServicePattern[] = "com.telquor.SonvaleXPC%02i";
constexpr char kAppGroup[] = "K7QW2MZ4RD.TQXPC";
constexpr char kProductCode[] = "sonva1";
constexpr char kStoreAppId[] = "1290857316";
constexpr char kProductPageUrl[] = "https://www.telquor.com/sonvale/";
constexpr char kSupportPageUrl[] = "https://www.telquor.com/support/";
constexpr char kVersionId[] = "com.telquor.Sonvale-FS-1.0.21";

std::unique_ptr<QApplication> makeApplication(int& argc, char** argv)
{
    return std::make_unique<TQCApplication>(argc, argv);
}

} // namespace

void TQProcessExitHandler()
{
    static std::once_flag once;
    try {
        std::call_once(once, [] { TQAnalyticsShutdown(); });
    } catch (...) {
        // Too late to report anything: the process is ending.
    }
}

int TQProcessEntry(int argc, char** argv)
{
    TQKitEarlyInit(1);
    TQKitEarlyConfigure(5);
    TQKitServicePatternSet(kServicePattern, std::strlen(kServicePattern));
    TQKitAppGroupSet(kAppGroup, std::strlen(kAppGroup));
    std::atexit(TQProcessExitHandler);
    const int exitCode = TQKitAppMain(argc, argv, kProductCode, kStoreAppId, kProductPageUrl, kProductPageUrl,
                                      kSupportPageUrl, kVersionId, makeApplication, TQCAppLoadMainInterface);
    // At the end of the main loop, while everything the sender uses is still there; the exit
    // handler covers the ways out that skip this.
    TQProcessExitHandler();
    return exitCode;
}
