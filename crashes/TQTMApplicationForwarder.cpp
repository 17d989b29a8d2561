#include "crashes/TQTMApplicationForwarder.h"

#include "crashes/TQTMCrashes.h"
#include "platform/system/AppInfo.h"
#include "platform/system/Exception.h"
#include "platform/system/UserDefaults.h"
#include "telemetry/TQTMLogger.h"

#include <atomic>
#include <mutex>
#include <string>

namespace {

std::once_flag gReportExceptionOnce;
std::once_flag gSendEventOnce;
std::atomic<bool> gReportExceptionReplaced{false};
std::atomic<bool> gSendEventReplaced{false};

bool isForwarderEnabled(const sonvale::AppInfo& bundle)
{
    const auto value = bundle.objectForInfoDictionaryKey(TQTMApplicationForwarder::kEnabledKey);
    return !value || !value->is_boolean() || value->get<bool>();
}

bool crashesOnExceptions(const sonvale::UserDefaults& defaults)
{
    const auto value = defaults.objectForKey(TQTMApplicationForwarder::kCrashOnExceptionsKey);
    return value && ((value->is_boolean() && value->get<bool>()) || (value->is_number() && value->get<double>() != 0));
}

void swizzleReportException()
{
    gReportExceptionReplaced.store(true);
    TQTMLogDebug(TQTMCrashes::kLogTag, "Selector 'reportException:' of class 'NSApplication' is swizzled.");
}

void swizzleSendEvent()
{
    gSendEventReplaced.store(true);
    TQTMLogDebug(TQTMCrashes::kLogTag, "Selector 'sendEvent:' of class 'NSApplication' is swizzled.");
}

} // namespace

void TQTMApplicationForwarder::registerForwarding()
{
    const sonvale::UserDefaults defaults(sonvale::UserDefaults::standardPath());
    registerForwarding(sonvale::AppInfo::main(), defaults);
}

void TQTMApplicationForwarder::registerForwarding(const sonvale::AppInfo& bundle, const sonvale::UserDefaults& defaults)
{
    const std::string key = kEnabledKey;
    if (!isForwarderEnabled(bundle)) {
        TQTMLogDebug(TQTMCrashes::kLogTag,
                     "Application forwarder for info.plist key '" + key + "' disabled. It won't use swizzling.");
        return;
    }
    TQTMLogDebug(TQTMCrashes::kLogTag,
                 "Application forwarder for info.plist key '" + key + "' enabled. It may use swizzling.");
    if (!crashesOnExceptions(defaults)) {
        TQTMLogInfo(TQTMCrashes::kLogTag, std::string("Catching uncaught exceptions thrown on the main thread disabled. "
                                                      "Set `") +
                                              kCrashOnExceptionsKey +
                                              "` flag before SDK initialization, to allow crash on uncaught "
                                              "exceptions and the SDK can report them.");
        return;
    }
    std::call_once(gReportExceptionOnce, swizzleReportException);
    std::call_once(gSendEventOnce, swizzleSendEvent);
}

bool TQTMApplicationForwarder::isReportExceptionReplaced() { return gReportExceptionReplaced.load(); }

bool TQTMApplicationForwarder::isSendEventReplaced() { return gSendEventReplaced.load(); }

void TQTMApplicationForwarder::reportExceptionReplacement(const sonvale::Exception& exception,
                                                          const ReportException& previousReportException)
{
    TQTMCrashes::applicationDidReportException(exception);
    previousReportException(exception);
}

bool TQTMApplicationForwarder::sendEventReplacement(const SendEvent& previousSendEvent,
                                                    const ReportException& previousReportException)
{
    try {
        return previousSendEvent();
    } catch (const sonvale::Exception& exception) {
        reportExceptionReplacement(exception, previousReportException);
        return false;
    }
}
