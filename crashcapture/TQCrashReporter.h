#pragma once

#include "crashcapture/TQCrashMachExceptionServer.h"
#include "crashcapture/TQCrashReporterCallbacks.h"
#include "crashcapture/TQCrashReporterConfig.h"
#include "crashcapture/TQCrashReporterError.h"

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sonvale {
class AppInfo;
}

namespace tqcrash {

class TQCrashMachExceptionPortSet;

// Misuse of the reporter: callbacks set after enabling, or no name for the process.
class TQCrashReporterException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The engine's front object: owns the configuration, decides where the report lives, installs the
// crash handlers (once per process), and offers the pending report of the previous run, live
// reports, custom data and a post-crash callback.
//
// Enabling and configuration run on the client's thread. Once enabled, a reporter stays enabled
// for the life of the process, and so do its handlers.
class TQCrashReporter final {
public:
    // Made once, for the application's own information.
    static TQCrashReporter& sharedReporter();

    TQCrashReporter();
    explicit TQCrashReporter(TQCrashReporterConfig configuration);
    // From the bundle's identifier and versions; without an identifier, the process name.
    // Throws TQCrashReporterException when neither is known.
    TQCrashReporter(const sonvale::AppInfo& bundle, TQCrashReporterConfig configuration);
    TQCrashReporter(std::string applicationIdentifier, std::string applicationVersion,
                    std::optional<std::string> applicationMarketingVersion, TQCrashReporterConfig configuration);
    ~TQCrashReporter();

    TQCrashReporter(const TQCrashReporter&) = delete;
    TQCrashReporter& operator=(const TQCrashReporter&) = delete;

    bool enableCrashReporter();
    // Installs the handlers of the configuration. Only one reporter of a process is ever enabled; a
    // second attempt, on any reporter, fails with code 3, and so does a retry after a failure.
    bool enableCrashReporterAndReturnError(TQCrashReporterError* error);

    bool hasPendingCrashReport() const;
    std::optional<std::vector<std::uint8_t>> loadPendingCrashReportData() const;
    std::optional<std::vector<std::uint8_t>> loadPendingCrashReportDataAndReturnError(TQCrashReporterError* error) const;
    bool purgePendingCrashReport();
    bool purgePendingCrashReportAndReturnError(TQCrashReporterError* error);

    // A report of this moment, for the calling thread or another one (marked crashed), read back
    // from a temporary file. SIGTRAP with code TRAP_TRACE at address 0.
    std::optional<std::vector<std::uint8_t>> generateLiveReport();
    std::optional<std::vector<std::uint8_t>> generateLiveReportAndReturnError(TQCrashReporterError* error);
    std::optional<std::vector<std::uint8_t>> generateLiveReportWithThread(pid_t thread);
    std::optional<std::vector<std::uint8_t>> generateLiveReportWithThreadError(pid_t thread,
                                                                              TQCrashReporterError* error);

    // Before enabling only (else TQCrashReporterException); a version other than 0 ends the process.
    void setCrashCallbacks(const TQCrashReporterCallbacks* callbacks);

    // Kept, and copied at once into what a crash writes; none removes it.
    void setCustomData(std::optional<std::vector<std::uint8_t>> data);
    const std::optional<std::vector<std::uint8_t>>& customData() const { return customData_; }

    const std::string& crashReportPath() const { return crashReportPath_; }
    const std::string& crashReportDirectory() const { return crashReportDirectory_; }
    std::string queuedCrashReportDirectory() const;
    // Makes the report folder and its queued-reports folder (0755, with parents).
    bool populateCrashReportDirectoryAndReturnError(TQCrashReporterError* error);

    static std::int32_t mapToAsyncSymbolicationStrategy(std::uint64_t strategy);

    // Starts an exception server with `callback` and registers it for the task's crash exceptions
    // (EXC_MASK_GUARD too from Darwin 13 on); the registrations it replaces go to `*previous`.
    // Null with an error of code 1 when a step fails.
    std::unique_ptr<TQCrashMachExceptionServer> enableMachExceptionServerWithPreviousPortSetCallbackContextError(
        std::unique_ptr<TQCrashMachExceptionPortSet>* previous, mach_exception_callback callback, void* context,
        TQCrashReporterError* error);

    const TQCrashReporterConfig& config() const { return config_; }
    const std::string& applicationIdentifier() const { return applicationIdentifier_; }
    const std::string& applicationVersion() const { return applicationVersion_; }
    bool enabled() const { return enabled_; }

private:
    void fillWriter(async::crash_log_writer* writer, bool userRequested) const;

    TQCrashReporterConfig config_;
    bool enabled_ = false;
    std::unique_ptr<TQCrashMachExceptionServer> machServer_; // Mach mode only; lives for the process
    std::unique_ptr<TQCrashMachExceptionPortSet> previousMachPorts_;
    std::string applicationIdentifier_;
    std::string applicationVersion_;
    std::optional<std::string> applicationMarketingVersion_;
    std::string crashReportDirectory_;
    std::string crashReportPath_;
    std::optional<std::vector<std::uint8_t>> customData_;
};

} // namespace tqcrash
