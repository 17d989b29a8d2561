#pragma once

#include <optional>
#include <string>

namespace tqcrash {

inline constexpr const char* TQCrashReporterErrorDomain = "TQCrashReporterErrorDomain";

enum class TQCrashReporterErrorCode : int {
    Unknown = 0,
    OperatingSystem = 1,   // the underlying error holds the POSIX or Mach code
    CrashReportInvalid = 2,
    ReporterEnabled = 3,
};

// The operating-system error beneath an engine error.
struct TQCrashUnderlyingError {
    enum class Domain { Posix, Mach };
    Domain domain;
    int code;
    bool operator==(const TQCrashUnderlyingError&) const = default;
};

// An error of the engine's domain, with the text a person reads.
struct TQCrashReporterError {
    TQCrashReporterErrorCode code = TQCrashReporterErrorCode::Unknown;
    std::string description;
    std::optional<TQCrashUnderlyingError> underlying;
};

// Each stores an error into `*error`; a null `error` does nothing. Not for the crash path.
void crash_error_populate(TQCrashReporterError* error, TQCrashReporterErrorCode code,
                          std::string description,
                          std::optional<TQCrashUnderlyingError> underlying = std::nullopt);
void crash_error_populate_mach(TQCrashReporterError* error, int kernReturn, std::string description);
void crash_error_populate_posix(TQCrashReporterError* error, int errnoValue, std::string description);

} // namespace tqcrash
