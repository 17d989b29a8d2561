#include "telemetry/TQTMLogger.h"

#include "platform/system/SerialQueue.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

namespace {

// Process-wide logger state, made on first use and never destroyed, so that code running at exit
// may still log.
struct LoggerState {
    std::mutex mutex;
    TQTMLogLevel level = TQTMLogLevelAssert;
    std::shared_ptr<const TQTMLogHandler> handler =
        std::make_shared<const TQTMLogHandler>(TQTMLogger::defaultLogHandler());
    std::atomic<bool> userDefined{false};
    sonvale::SerialQueue queue{"com.telquor.telemetry.loggerQueue"};
};

LoggerState& state()
{
    static LoggerState* const instance = new LoggerState;
    return *instance;
}

std::shared_ptr<const TQTMLogHandler> currentHandler()
{
    LoggerState& s = state();
    std::lock_guard lock(s.mutex);
    return s.handler;
}

const char* levelName(TQTMLogLevel level)
{
    switch (level) {
    case TQTMLogLevelVerbose:
        return "VERBOSE";
    case TQTMLogLevelDebug:
        return "DEBUG";
    case TQTMLogLevelInfo:
        return "INFO";
    case TQTMLogLevelWarning:
        return "WARNING";
    case TQTMLogLevelError:
        return "ERROR";
    case TQTMLogLevelAssert:
        return "ASSERT";
    default:
        return nullptr;
    }
}

} // namespace

TQTMLogLevel TQTMLogger::currentLogLevel()
{
    LoggerState& s = state();
    std::lock_guard lock(s.mutex);
    return s.level;
}

void TQTMLogger::setCurrentLogLevel(TQTMLogLevel level)
{
    LoggerState& s = state();
    std::lock_guard lock(s.mutex);
    s.userDefined = true;
    s.level = level;
}

TQTMLogHandler TQTMLogger::logHandler()
{
    const auto handler = currentHandler();
    return handler ? *handler : TQTMLogHandler();
}

void TQTMLogger::setLogHandler(TQTMLogHandler handler)
{
    LoggerState& s = state();
    std::lock_guard lock(s.mutex);
    s.userDefined = true;
    s.handler = handler ? std::make_shared<const TQTMLogHandler>(std::move(handler)) : nullptr;
}

bool TQTMLogger::isUserDefinedLogLevel()
{
    return state().userDefined;
}

void TQTMLogger::setIsUserDefinedLogLevel(bool userDefined)
{
    state().userDefined = userDefined;
}

void TQTMLogger::logMessageLevelTagFileFunctionLine(TQTMLogMessageProvider message,
                                                    TQTMLogLevel level, const std::string& tag,
                                                    const char* file, const char* function,
                                                    uint32_t line)
{
    if (!currentHandler())
        return;
    // File and function names are string literals at every call site, so the pointers stay valid.
    state().queue.post([message = std::move(message), level, tag, file, function, line] {
        if (const auto handler = currentHandler())
            (*handler)(message, level, tag, file, function, line);
    });
}

void TQTMLogger::flush()
{
    state().queue.sync([] {});
}

std::string TQTMLogger::defaultLogLine(TQTMLogLevel level, const std::string& tag,
                                       const char* function, uint32_t line,
                                       const std::string& message)
{
    const char* name = levelName(level);
    if (!name)
        return {};
    return "[" + tag + "] " + name + ": " + (function ? function : "") + "/" +
           std::to_string(line) + " " + message;
}

TQTMLogHandler TQTMLogger::defaultLogHandler()
{
    return [](const TQTMLogMessageProvider& message, TQTMLogLevel level, const std::string& tag,
              const char* /*file*/, const char* function, uint32_t line) {
        if (!message || level < TQTMLogger::currentLogLevel())
            return;
        const std::string text = defaultLogLine(level, tag, function, line, message());
        if (text.empty())
            return;
        std::fputs((text + "\n").c_str(), stderr);
    };
}
