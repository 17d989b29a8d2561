#include "telemetry/TQTMDependencyConfiguration.h"

#include "platform/system/Clock.h"

#include <mutex>

namespace {

std::mutex& dependencyMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<TQTMHttpClientProtocol>& storedHttpClient()
{
    static std::shared_ptr<TQTMHttpClientProtocol> client;
    return client;
}

sonvale::Clock*& storedClock()
{
    static sonvale::Clock* clock = nullptr;
    return clock;
}

} // namespace

std::shared_ptr<TQTMHttpClientProtocol> TQTMDependencyConfiguration::httpClient()
{
    std::lock_guard lock(dependencyMutex());
    return storedHttpClient();
}

void TQTMDependencyConfiguration::setHttpClient(std::shared_ptr<TQTMHttpClientProtocol> httpClient)
{
    std::lock_guard lock(dependencyMutex());
    storedHttpClient() = std::move(httpClient);
}

sonvale::Clock& TQTMDependencyConfiguration::clock()
{
    std::lock_guard lock(dependencyMutex());
    return storedClock() ? *storedClock() : sonvale::systemClock();
}

void TQTMDependencyConfiguration::setClock(sonvale::Clock* clock)
{
    std::lock_guard lock(dependencyMutex());
    storedClock() = clock;
}
