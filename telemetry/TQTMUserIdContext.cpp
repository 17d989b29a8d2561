#include "telemetry/TQTMUserIdContext.h"

#include "platform/system/Utf16.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMUserIdContextDelegate.h"

#include <algorithm>

namespace {

constexpr size_t kMaxUserIdLength = 256;
constexpr const char* kUserIdPrefix = "c";
constexpr char kPrefixSeparator = ':';

std::mutex sharedMutex;
std::shared_ptr<TQTMUserIdContext> sharedContext;
const sonvale::Clock* sharedClock = &sonvale::systemClock();

} // namespace

TQTMUserIdContext::TQTMUserIdContext(std::shared_ptr<TQTMTelemetryUserDefaults> defaults,
                                     const sonvale::Clock& clock)
    : clock_(clock), history_(std::move(defaults), "UserIdHistory", kMaxHistoryEntries)
{
    history_.load();
    TQTMLogDebug(kTQTMCoreLogTag,
                 std::to_string(history_.entries().size()) + " userId(s) in the history.");
    currentUserIdInfo_ = std::make_shared<TQTMUserIdHistoryInfo>(clock_.now(), std::nullopt);
    history_.append(currentUserIdInfo_);
    history_.store();
}

void TQTMUserIdContext::setSharedClock(const sonvale::Clock& clock)
{
    std::lock_guard lock(sharedMutex);
    sharedClock = &clock;
}

std::shared_ptr<TQTMUserIdContext> TQTMUserIdContext::sharedInstance()
{
    std::lock_guard lock(sharedMutex);
    if (!sharedContext)
        sharedContext = std::make_shared<TQTMUserIdContext>(TQTMTelemetryUserDefaults::shared(),
                                                            *sharedClock);
    return sharedContext;
}

void TQTMUserIdContext::resetSharedInstance()
{
    std::lock_guard lock(sharedMutex);
    sharedContext.reset();
    sharedClock = &sonvale::systemClock();
}

std::optional<std::string> TQTMUserIdContext::userId() const
{
    std::lock_guard lock(mutex_);
    return currentUserIdInfo_->userId();
}

void TQTMUserIdContext::setUserId(std::optional<std::string> userId)
{
    std::vector<std::shared_ptr<TQTMUserIdContextDelegate>> delegates;
    {
        std::lock_guard lock(mutex_);
        if (userId == currentUserIdInfo_->userId())
            return;
        currentUserIdInfo_->setTimestamp(clock_.now());
        currentUserIdInfo_->setUserId(userId);
        history_.removeLast();
        history_.append(currentUserIdInfo_);
        history_.store();
        TQTMLogVerbose(kTQTMCoreLogTag,
                       "Stored new userId:" + userId.value_or("(null)") + " and timestamp: " +
                           TQTMUtility::dateToISO8601(*currentUserIdInfo_->timestamp()) + ".");
        for (const auto& weak : delegates_)
            if (auto delegate = weak.lock())
                delegates.push_back(std::move(delegate));
    }
    for (const auto& delegate : delegates)
        delegate->userIdContextDidUpdateUserId(*this, userId);
}

std::optional<std::string> TQTMUserIdContext::userIdAt(sonvale::TimePoint date) const
{
    std::lock_guard lock(mutex_);
    const auto entry = history_.newestBefore(date);
    return entry ? entry->userId() : std::nullopt;
}

void TQTMUserIdContext::clearUserIdHistory()
{
    std::lock_guard lock(mutex_);
    history_.entries().clear();
    history_.append(currentUserIdInfo_);
    history_.store();
    TQTMLogVerbose(kTQTMCoreLogTag, "Cleared old userIds while keeping current userId.");
}

bool TQTMUserIdContext::isUserIdValidForTelemetry(const std::optional<std::string>& userId)
{
    if (userId && sonvale::utf16Length(*userId) > kMaxUserIdLength) {
        TQTMLogError(kTQTMCoreLogTag,
                     "userId is limited to " + std::to_string(kMaxUserIdLength) + " characters.");
        return false;
    }
    return true;
}

bool TQTMUserIdContext::isUserIdValidForOneCollector(const std::optional<std::string>& userId)
{
    if (!userId)
        return true;
    if (userId->empty()) {
        TQTMLogError(kTQTMCoreLogTag, "userId must not be empty.");
        return false;
    }
    const size_t separator = userId->find(kPrefixSeparator);
    if (separator == std::string::npos)
        return true;
    const std::string prefix = userId->substr(0, separator);
    if (prefix != kUserIdPrefix) {
        TQTMLogError(kTQTMCoreLogTag, std::string("userId prefix must be '") + kUserIdPrefix +
                                          "', '" + prefix + "' is not supported.");
        return false;
    }
    if (separator + 1 == userId->size()) {
        TQTMLogError(kTQTMCoreLogTag, "userId must not be empty.");
        return false;
    }
    return true;
}

std::optional<std::string>
TQTMUserIdContext::prefixedUserIdFromUserId(const std::optional<std::string>& userId)
{
    if (!userId || userId->find(kPrefixSeparator) != std::string::npos)
        return userId;
    return kUserIdPrefix + std::string(1, kPrefixSeparator) + *userId;
}

void TQTMUserIdContext::addDelegate(const std::shared_ptr<TQTMUserIdContextDelegate>& delegate)
{
    std::lock_guard lock(mutex_);
    delegates_.push_back(delegate);
}

void TQTMUserIdContext::removeDelegate(const std::shared_ptr<TQTMUserIdContextDelegate>& delegate)
{
    std::lock_guard lock(mutex_);
    std::erase_if(delegates_, [&](const std::weak_ptr<TQTMUserIdContextDelegate>& weak) {
        const auto held = weak.lock();
        return !held || held == delegate;
    });
}
