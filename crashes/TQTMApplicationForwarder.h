#pragma once

#include <functional>

namespace sonvale {
class AppInfo;
class Exception;
class UserDefaults;
} // namespace sonvale

// Lets the crash service see the exceptions that the application object reports: one handed to its
// reportException directly, or one raised while it delivers an event. The application object has
// no replaceable methods, so it asks here whether each of the two has been taken over and, when it
// has, runs the replacement with its own implementation as the previous one.
//
// registerForwarding() runs on the thread that enables the service, the replacements on the main
// thread inside event delivery. A method once taken over stays so for the life of the process.
class TQTMApplicationForwarder final {
public:
    // The application's information key that switches the forwarder (enabled when absent).
    static constexpr const char* kEnabledKey = "TelemetryApplicationForwarderEnabled";
    // The user's default that asks the application to crash on exceptions (off when absent).
    static constexpr const char* kCrashOnExceptionsKey = "NSApplicationCrashOnExceptions";

    using ReportException = std::function<void(const sonvale::Exception& exception)>;
    using SendEvent = std::function<bool()>;

    TQTMApplicationForwarder() = delete;

    // Takes both methods over when the forwarder is enabled and the application is to crash on
    // exceptions; from Sonvale's information values and the standard user defaults.
    static void registerForwarding();
    static void registerForwarding(const sonvale::AppInfo& bundle, const sonvale::UserDefaults& defaults);

    static bool isReportExceptionReplaced();
    static bool isSendEventReplaced();

    // The crash service hears of the exception first, then the application's own implementation.
    static void reportExceptionReplacement(const sonvale::Exception& exception,
                                           const ReportException& previousReportException);
    // Delivers the event the application's own way; an exception of ours raised meanwhile goes to
    // reportExceptionReplacement() and the delivery then ends normally (nothing handled it). Other
    // exceptions pass through.
    static bool sendEventReplacement(const SendEvent& previousSendEvent, const ReportException& previousReportException);
};
