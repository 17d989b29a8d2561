#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tqcrash {

// How the reporter catches crashes.
enum TQCrashSignalHandlerType : std::uint64_t {
    TQCrashSignalHandlerTypeBSD = 0,  // signal handlers for the crash signals
    TQCrashSignalHandlerTypeMach = 1, // an exception server, plus a signal handler for SIGABRT
};

// Symbol flags of reports; only the two low bits are used, 0 writes no symbols.
enum TQCrashSymbolicationStrategy : std::uint64_t {
    TQCrashSymbolicationStrategyNone = 0,
    TQCrashSymbolicationStrategySymbolTable = 1,
    TQCrashSymbolicationStrategyObjC = 2,
};

// What the reporter is to install and where its files live. Immutable once made.
class TQCrashReporterConfig final {
public:
    static TQCrashReporterConfig defaultConfiguration() { return {}; }

    // BSD handlers, no symbols, the uncaught-exception handler, the user's cache folder.
    TQCrashReporterConfig() = default;
    static TQCrashReporterConfig initWithBasePath(std::optional<std::string> basePath);
    static TQCrashReporterConfig initWithSignalHandlerTypeSymbolicationStrategy(std::uint64_t type,
                                                                                std::uint64_t strategy);
    static TQCrashReporterConfig initWithSignalHandlerTypeSymbolicationStrategyBasePath(
        std::uint64_t type, std::uint64_t strategy, std::optional<std::string> basePath);
    static TQCrashReporterConfig initWithSignalHandlerTypeSymbolicationStrategyShouldRegisterUncaughtExceptionHandler(
        std::uint64_t type, std::uint64_t strategy, bool shouldRegisterUncaughtExceptionHandler);
    static TQCrashReporterConfig
    initWithSignalHandlerTypeSymbolicationStrategyShouldRegisterUncaughtExceptionHandlerBasePath(
        std::uint64_t type, std::uint64_t strategy, bool shouldRegisterUncaughtExceptionHandler,
        std::optional<std::string> basePath);

    // 0 = BSD signals, 1 = Mach exceptions; any other value installs no crash handler.
    std::uint64_t signalHandlerType() const { return signalHandlerType_; }
    std::uint64_t symbolicationStrategy() const { return symbolicationStrategy_; }
    bool shouldRegisterUncaughtExceptionHandler() const { return shouldRegisterUncaughtExceptionHandler_; }
    // The folder below which the report folder is made; none = the user's cache folder.
    const std::optional<std::string>& basePath() const { return basePath_; }

private:
    std::uint64_t signalHandlerType_ = TQCrashSignalHandlerTypeBSD;
    std::uint64_t symbolicationStrategy_ = TQCrashSymbolicationStrategyNone;
    bool shouldRegisterUncaughtExceptionHandler_ = true;
    std::optional<std::string> basePath_;
};

} // namespace tqcrash
