#include "crashcapture/TQCrashReporterError.h"

#include <utility>

namespace tqcrash {

void crash_error_populate(TQCrashReporterError* error, TQCrashReporterErrorCode code,
                          std::string description, std::optional<TQCrashUnderlyingError> underlying) {
    if (error != nullptr) {
        *error = TQCrashReporterError{code, std::move(description), underlying};
    }
}

void crash_error_populate_mach(TQCrashReporterError* error, int kernReturn, std::string description) {
    crash_error_populate(error, TQCrashReporterErrorCode::OperatingSystem, std::move(description),
                         TQCrashUnderlyingError{TQCrashUnderlyingError::Domain::Mach, kernReturn});
}

void crash_error_populate_posix(TQCrashReporterError* error, int errnoValue, std::string description) {
    crash_error_populate(error, TQCrashReporterErrorCode::OperatingSystem, std::move(description),
                         TQCrashUnderlyingError{TQCrashUnderlyingError::Domain::Posix, errnoValue});
}

} // namespace tqcrash
