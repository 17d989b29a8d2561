#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tqcrash {
class TQCrashReporter;
}
class TQTMErrorReport;
class TQTMWrapperException;

// Exceptions of a wrapper SDK's own runtime: saved while the wrapper's process dies, and paired at
// the next start with the crash report of that process. Kept as keyed archives in the service's
// "crasheswrapperexceptions" folder: "last_saved_wrapper_exception" holds the latest save, and each
// paired exception is stored again under the incident identifier of its report.
//
// Callers are the enabling thread, the processing pass and the wrapper's crash path; the table of
// paired exceptions has its own lock. The crash-time save is not safe in a signal handler: it is
// meant for a wrapper whose runtime still runs.
class TQTMWrapperExceptionManager final {
public:
    static constexpr const char* kLastSavedFileName = "last_saved_wrapper_exception";

    TQTMWrapperExceptionManager() = delete;

    // The engine whose report the crash-time save writes; the service's, which outlives its use.
    static void setCrashReporter(tqcrash::TQCrashReporter* crashReporter);

    static void saveWrapperException(const TQTMWrapperException& exception);
    // Written atomically, replacing a file of the same name.
    static void saveWrapperExceptionWithBaseFilename(const TQTMWrapperException& exception, const std::string& name);
    // Null when the file is missing or unreadable (an unreadable one is deleted); both are logged.
    static std::shared_ptr<TQTMWrapperException> loadWrapperExceptionWithBaseFilename(const std::string& name);
    // The exception paired with that report in this run, else the one stored under its identifier.
    static std::shared_ptr<TQTMWrapperException> loadWrapperExceptionWithUUIDString(const std::string& uuid);
    static void deleteWrapperExceptionWithUUIDString(const std::string& uuid);
    static void deleteWrapperExceptionWithBaseFilename(const std::string& name);
    static void deleteAllWrapperExceptions();

    // Gives the last saved exception to the first report of the same process, and removes the
    // last-saved file.
    static void correlateLastSavedWrapperExceptionToReport(const std::vector<std::shared_ptr<TQTMErrorReport>>& reports);

    // Saves the exception and a report of this moment where the engine looks for the pending
    // report, so that the next start pairs the two.
    static void saveWrapperExceptionAndCrashReport(const TQTMWrapperException& exception);
};
