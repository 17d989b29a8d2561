#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Log levels: the number is what callers pass and what the current level holds.
using TQTMLogLevel = uint64_t;
inline constexpr TQTMLogLevel TQTMLogLevelVerbose = 2;
inline constexpr TQTMLogLevel TQTMLogLevelDebug = 3;
inline constexpr TQTMLogLevel TQTMLogLevelInfo = 4;
inline constexpr TQTMLogLevel TQTMLogLevelWarning = 5;
inline constexpr TQTMLogLevel TQTMLogLevelError = 6;
inline constexpr TQTMLogLevel TQTMLogLevelAssert = 7;
inline constexpr TQTMLogLevel TQTMLogLevelNone = 99; // as current level: silence; never printed

// The tag of the telemetry client core's messages.
inline constexpr const char* kTQTMCoreLogTag = "Telemetry";

using TQTMLogMessageProvider = std::function<std::string()>;
// A handler gets the message provider, the level, the tag, the source file, the function and the
// line. It runs on the logger queue, one message at a time.
using TQTMLogHandler = std::function<void(const TQTMLogMessageProvider& message, TQTMLogLevel level,
                                          const std::string& tag, const char* file,
                                          const char* function, uint32_t line)>;

// The one logging channel of the telemetry client and the crash service. Messages go, in the order
// of submission, to a replaceable handler on a private serial queue; the default handler filters by
// the current level and writes one line to standard error. All state is process-wide; every method
// may be called from any thread and none waits for a handler (flush() aside).
class TQTMLogger final {
public:
    TQTMLogger() = delete;

    static TQTMLogLevel currentLogLevel();
    // Also marks the level as chosen by the user.
    static void setCurrentLogLevel(TQTMLogLevel level);

    static TQTMLogHandler logHandler();
    // An empty handler switches logging off: messages are dropped before their text is built.
    // Also marks the level as chosen by the user.
    static void setLogHandler(TQTMLogHandler handler);

    static bool isUserDefinedLogLevel();
    static void setIsUserDefinedLogLevel(bool userDefined);

    // Hands the message to the handler that is current when the logger queue gets to it; a
    // handler removed by then drops it. Without a handler the provider is never run.
    static void logMessageLevelTagFileFunctionLine(TQTMLogMessageProvider message,
                                                   TQTMLogLevel level, const std::string& tag,
                                                   const char* file, const char* function,
                                                   uint32_t line);

    // Waits until every message submitted before the call has been handled (at shutdown).
    static void flush();

    // The handler installed at start: "[tag] LEVEL: function/line message" on standard error.
    static TQTMLogHandler defaultLogHandler();
    // The default handler's line for one message, without the line break; empty for level 99.
    static std::string defaultLogLine(TQTMLogLevel level, const std::string& tag,
                                      const char* function, uint32_t line,
                                      const std::string& message);
};

// Logging from the client's classes. The text is built at the call site (so it captures the
// values of the moment), and only when a handler is installed.
#define TQTM_LOG_AT(level, tag, text)                                                              \
    do {                                                                                           \
        if (TQTMLogger::logHandler())                                                              \
            TQTMLogger::logMessageLevelTagFileFunctionLine(                                        \
                [message_ = std::string(text)] { return message_; }, (level), (tag), __FILE__,     \
                __PRETTY_FUNCTION__, __LINE__);                                                    \
    } while (false)

#define TQTMLogVerbose(tag, text) TQTM_LOG_AT(TQTMLogLevelVerbose, tag, text)
#define TQTMLogDebug(tag, text) TQTM_LOG_AT(TQTMLogLevelDebug, tag, text)
#define TQTMLogInfo(tag, text) TQTM_LOG_AT(TQTMLogLevelInfo, tag, text)
#define TQTMLogWarning(tag, text) TQTM_LOG_AT(TQTMLogLevelWarning, tag, text)
#define TQTMLogError(tag, text) TQTM_LOG_AT(TQTMLogLevelError, tag, text)
#define TQTMLogAssert(tag, text) TQTM_LOG_AT(TQTMLogLevelAssert, tag, text)
