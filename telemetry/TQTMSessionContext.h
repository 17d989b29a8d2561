#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMHistoryStore.h"
#include "telemetry/TQTMSessionHistoryInfo.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>

class TQTMTelemetryUserDefaults;

// The current session id and the persisted history of the session ids of recent launches, so that
// a crash found at the next launch can be sent with the session that was current when it happened.
// Each launch owns one history entry, rewritten whenever its session changes. Safe from any thread.
class TQTMSessionContext final {
public:
    // The history keeps the entries of this many recent launches.
    static constexpr size_t kMaxHistoryEntries = 50;

    // The clock must outlive the context.
    TQTMSessionContext(std::shared_ptr<TQTMTelemetryUserDefaults> defaults,
                       const sonvale::Clock& clock);

    // The process-wide context over the shared defaults, made on first use with the clock set
    // last (the system clock unless the client set its own). The clock must outlive the context.
    static void setSharedClock(const sonvale::Clock& clock);
    static std::shared_ptr<TQTMSessionContext> sharedInstance();
    // Drops the shared context and returns the shared clock to the system clock.
    static void resetSharedInstance();

    std::optional<std::string> sessionId() const;
    void setSessionId(std::optional<std::string> sessionId);
    // The session current at that time: that of the newest entry stamped strictly earlier.
    std::optional<std::string> sessionIdAt(sonvale::TimePoint date) const;
    void clearSessionHistoryAndKeepCurrentSession(bool keepCurrentSession);

private:
    const sonvale::Clock& clock_;
    mutable std::recursive_mutex mutex_;
    TQTMHistoryStore<TQTMSessionHistoryInfo> history_;
    std::shared_ptr<TQTMSessionHistoryInfo> currentSessionInfo_;
};
