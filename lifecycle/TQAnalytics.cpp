#include "lifecycle/TQAnalytics.h"

#include "platform/tqkit/TQKitMutex.h"

#include <mutex>

namespace {

TQKitMutex eventsMutex;
std::vector<std::string> postedEvents;

} // namespace

void TQAnalyticsPostEvent(const char* name)
{
    if (!name || !*name)
        return;
    std::lock_guard lock(eventsMutex);
    postedEvents.emplace_back(name);
}

void TQAnalyticsShutdown() {}

std::vector<std::string> TQAnalyticsPostedEvents()
{
    std::lock_guard lock(eventsMutex);
    return postedEvents;
}

void TQStatsSendConversionPreferenceEvents(TQKitConversionList*) {}

void TQStatsSendSourceTypeEvents(TQKitConversionList*) {}
