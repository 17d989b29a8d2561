#include "crashcapture/TQCrashReporterConfig.h"

#include <utility>

namespace tqcrash {

TQCrashReporterConfig TQCrashReporterConfig::initWithBasePath(std::optional<std::string> basePath) {
    return initWithSignalHandlerTypeSymbolicationStrategyBasePath(TQCrashSignalHandlerTypeBSD,
                                                                  TQCrashSymbolicationStrategyNone,
                                                                  std::move(basePath));
}

TQCrashReporterConfig TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategy(std::uint64_t type,
                                                                                            std::uint64_t strategy) {
    return initWithSignalHandlerTypeSymbolicationStrategyBasePath(type, strategy, std::nullopt);
}

TQCrashReporterConfig TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyBasePath(
    std::uint64_t type, std::uint64_t strategy, std::optional<std::string> basePath) {
    return initWithSignalHandlerTypeSymbolicationStrategyShouldRegisterUncaughtExceptionHandlerBasePath(
        type, strategy, true, std::move(basePath));
}

TQCrashReporterConfig
TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyShouldRegisterUncaughtExceptionHandler(
    std::uint64_t type, std::uint64_t strategy, bool shouldRegisterUncaughtExceptionHandler) {
    return initWithSignalHandlerTypeSymbolicationStrategyShouldRegisterUncaughtExceptionHandlerBasePath(
        type, strategy, shouldRegisterUncaughtExceptionHandler, std::nullopt);
}

TQCrashReporterConfig
TQCrashReporterConfig::initWithSignalHandlerTypeSymbolicationStrategyShouldRegisterUncaughtExceptionHandlerBasePath(
    std::uint64_t type, std::uint64_t strategy, bool shouldRegisterUncaughtExceptionHandler,
    std::optional<std::string> basePath) {
    TQCrashReporterConfig config;
    config.signalHandlerType_ = type;
    config.symbolicationStrategy_ = strategy;
    config.shouldRegisterUncaughtExceptionHandler_ = shouldRegisterUncaughtExceptionHandler;
    config.basePath_ = std::move(basePath);
    return config;
}

} // namespace tqcrash
