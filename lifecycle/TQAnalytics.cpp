#include "lifecycle/TQAnalytics.h"

#include "lifecycle/TQAnalyticsRecorder.h"
#include "platform/system/XdgPaths.h"
#include "platform/tqkit-ui/TQKitReachability.h"
#include "platform/tqkit/TQKitMutex.h"
#include "platform/tqkit/TQKitRemoteParams.h"
#include "platform/tqkit/TQKitWebRequest.h"

#include <cstdio>
#include <map>
#include <mutex>

namespace {

constexpr size_t kSuffixedNameBytes = 260;

bool callShouldStop(void* context)
{
    return (*static_cast<const TQAnalyticsServices::ShouldStop*>(context))();
}

// Never destroyed: the exit handler stops it (TQAnalyticsShutdown), and it may run after the
// destructors of function-local statics.
TQAnalyticsRecorder& recorder()
{
    static TQAnalyticsRecorder* shared = new TQAnalyticsRecorder({
        .clock = &sonvale::systemClock(),
        .params = &TQKitRemoteParams::shared(),
        .isReachable = [] { return TQKitIsNetworkReachable(); },
        .webRequest =
            [](const std::vector<std::string>& lines, const TQAnalyticsServices::ShouldStop& shouldStop, int timeoutMs) {
                TQKitWebResponseRecord response;
                return TQKitWebRequest(lines, shouldStop ? &callShouldStop : nullptr,
                                       const_cast<TQAnalyticsServices::ShouldStop*>(&shouldStop), timeoutMs,
                                       &response, 0);
            },
        .sleep = {},
        .eventTimeFile = [] { return sonvale::sonvaleDataDir() / "DiscogsTempKey.bin"; },
        .startsSenderThread = true,
    });
    return *shared;
}

TQKitMutex listenersMutex;
std::map<uint64_t, TQAnalyticsListener> listeners;
uint64_t nextListenerId = 1;

void tellListeners(const char* name)
{
    std::lock_guard lock(listenersMutex);
    for (const auto& [id, listener] : listeners)
        listener(name);
}

} // namespace

void TQAnalyticsInit(int enabledDefault) { recorder().configure(enabledDefault > 0); }

bool TQAnalyticsIsEnabled() { return recorder().isEnabled(); }

void TQAnalyticsPostEvent(const char* name)
{
    if (!name || !*name)
        return;
    tellListeners(name);
    recorder().post(name);
}

void TQAnalyticsPostEventWithSuffix(const char* name, const char* suffix)
{
    if (!name || !*name)
        return;
    if (!suffix || !*suffix) {
        TQAnalyticsPostEvent(name);
        return;
    }
    char buffer[kSuffixedNameBytes];
    std::snprintf(buffer, sizeof buffer, "%s_%s", name, suffix);
    TQAnalyticsPostEvent(buffer);
}

void TQAnalyticsRequestFlush() { recorder().requestFlush(); }

void TQAnalyticsShutdown() { recorder().stop(); }

int TQAnalyticsOnAppEvent(int code, void*)
{
    if (code == 1)
        TQAnalyticsRequestFlush();
    return 0;
}

uint64_t TQAnalyticsAddListener(TQAnalyticsListener listener)
{
    std::lock_guard lock(listenersMutex);
    const uint64_t id = nextListenerId++;
    listeners.emplace(id, std::move(listener));
    return id;
}

void TQAnalyticsRemoveListener(uint64_t id)
{
    std::lock_guard lock(listenersMutex);
    listeners.erase(id);
}
