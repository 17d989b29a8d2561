#include "telemetry/TQTMSessionContext.h"

#include "telemetry/TQTMLogger.h"

namespace {

std::mutex sharedMutex;
std::shared_ptr<TQTMSessionContext> sharedContext;
const sonvale::Clock* sharedClock = &sonvale::systemClock();

} // namespace

TQTMSessionContext::TQTMSessionContext(std::shared_ptr<TQTMTelemetryUserDefaults> defaults,
                                       const sonvale::Clock& clock)
    : clock_(clock), history_(std::move(defaults), "SessionIdHistory", kMaxHistoryEntries)
{
    history_.load();
    TQTMLogDebug(kTQTMCoreLogTag,
                 std::to_string(history_.entries().size()) + " session(s) in the history.");
    currentSessionInfo_ = std::make_shared<TQTMSessionHistoryInfo>(clock_.now(), std::nullopt);
    history_.append(currentSessionInfo_);
}

void TQTMSessionContext::setSharedClock(const sonvale::Clock& clock)
{
    std::lock_guard lock(sharedMutex);
    sharedClock = &clock;
}

std::shared_ptr<TQTMSessionContext> TQTMSessionContext::sharedInstance()
{
    std::lock_guard lock(sharedMutex);
    if (!sharedContext)
        sharedContext = std::make_shared<TQTMSessionContext>(TQTMTelemetryUserDefaults::shared(),
                                                             *sharedClock);
    return sharedContext;
}

void TQTMSessionContext::resetSharedInstance()
{
    std::lock_guard lock(sharedMutex);
    sharedContext.reset();
    sharedClock = &sonvale::systemClock();
}

std::optional<std::string> TQTMSessionContext::sessionId() const
{
    std::lock_guard lock(mutex_);
    return currentSessionInfo_->sessionId();
}

void TQTMSessionContext::setSessionId(std::optional<std::string> sessionId)
{
    std::lock_guard lock(mutex_);
    history_.removeLast();
    currentSessionInfo_->setSessionId(sessionId);
    currentSessionInfo_->setTimestamp(clock_.now());
    history_.append(currentSessionInfo_);
    history_.store();
    TQTMLogVerbose(kTQTMCoreLogTag,
                   "Stored new session with id:" + sessionId.value_or("(null)") +
                       " and timestamp: " +
                       TQTMUtility::dateToISO8601(*currentSessionInfo_->timestamp()) + ".");
}

std::optional<std::string> TQTMSessionContext::sessionIdAt(sonvale::TimePoint date) const
{
    std::lock_guard lock(mutex_);
    const auto entry = history_.newestBefore(date);
    return entry ? entry->sessionId() : std::nullopt;
}

void TQTMSessionContext::clearSessionHistoryAndKeepCurrentSession(bool keepCurrentSession)
{
    std::lock_guard lock(mutex_);
    history_.entries().clear();
    if (keepCurrentSession)
        history_.append(currentSessionInfo_);
    history_.store();
    TQTMLogVerbose(kTQTMCoreLogTag, "Cleared old sessions.");
}
