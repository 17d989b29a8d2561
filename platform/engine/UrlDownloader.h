#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/system/Status.h"

namespace sonvale::engine {

// Downloads an http or https address to a local file with libcurl, before it is converted:
// decoding straight from a server that can't seek gives corrupt audio. Follows up to five
// redirects, fails on HTTP errors, gives up on a transfer that stalls for a minute, and stops
// within about a second of `stop` being set. Runs on the calling thread.
class UrlDownloader final {
public:
    struct Events {
        std::function<void(const std::string& host)> connecting;
        std::function<void(double bytesReceived)> received;
    };

    static Status download(const std::string& url, const std::string& path, const std::atomic<bool>& stop,
                           const Events& events);
};

} // namespace sonvale::engine
