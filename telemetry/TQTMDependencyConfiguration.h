#pragma once

#include <memory>

namespace sonvale {
class Clock;
}
class TQTMHttpClientProtocol;

// What the SDK uses in place of what it would make itself: an HTTP client for the channel group
// (none: a new one over libcurl) and the clock of the log pipeline (the system clock unless set).
// Set before the SDK starts; the clock must outlive the SDK. Safe from any thread.
class TQTMDependencyConfiguration final {
public:
    TQTMDependencyConfiguration() = delete;

    static std::shared_ptr<TQTMHttpClientProtocol> httpClient();
    static void setHttpClient(std::shared_ptr<TQTMHttpClientProtocol> httpClient);
    static sonvale::Clock& clock();
    static void setClock(sonvale::Clock* clock); // null: the system clock
};
