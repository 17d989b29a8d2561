#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMHistoryStore.h"
#include "telemetry/TQTMUserIdHistoryInfo.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class TQTMTelemetryUserDefaults;
class TQTMUserIdContextDelegate;

// The application's current user id with the persisted history of recent launches' user ids, the
// rules user ids must follow on the two ingestion paths, and the delegates told about changes.
// Each launch owns one history entry, rewritten on each change. Safe from any thread.
class TQTMUserIdContext final {
public:
    static constexpr size_t kMaxHistoryEntries = 50;

    // The clock must outlive the context.
    TQTMUserIdContext(std::shared_ptr<TQTMTelemetryUserDefaults> defaults,
                      const sonvale::Clock& clock);

    // The process-wide context over the shared defaults, made on first use with the clock set
    // last (the system clock unless the client set its own). The clock must outlive the context.
    static void setSharedClock(const sonvale::Clock& clock);
    static std::shared_ptr<TQTMUserIdContext> sharedInstance();
    // Drops the shared context and returns the shared clock to the system clock.
    static void resetSharedInstance();

    std::optional<std::string> userId() const;
    // Stores and announces a new value; setting the current value again does nothing.
    void setUserId(std::optional<std::string> userId);
    std::optional<std::string> userIdAt(sonvale::TimePoint date) const;
    void clearUserIdHistory();

    // At most 256 UTF-16 units.
    static bool isUserIdValidForTelemetry(const std::optional<std::string>& userId);
    // Not empty; an optional prefix before the first ":" must be "c" and be followed by text.
    static bool isUserIdValidForOneCollector(const std::optional<std::string>& userId);
    // "c:" in front of a user id without ":"; others unchanged.
    static std::optional<std::string>
    prefixedUserIdFromUserId(const std::optional<std::string>& userId);

    // Delegates are held weakly.
    void addDelegate(const std::shared_ptr<TQTMUserIdContextDelegate>& delegate);
    void removeDelegate(const std::shared_ptr<TQTMUserIdContextDelegate>& delegate);

private:
    const sonvale::Clock& clock_;
    mutable std::recursive_mutex mutex_;
    TQTMHistoryStore<TQTMUserIdHistoryInfo> history_;
    std::shared_ptr<TQTMUserIdHistoryInfo> currentUserIdInfo_;
    std::vector<std::weak_ptr<TQTMUserIdContextDelegate>> delegates_;
};
