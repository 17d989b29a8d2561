#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/system/Status.h"

namespace sonvale::engine {

// How much and how slowly one address source may download before it fails.
struct DownloadLimits {
    uint64_t maxBytes = uint64_t(4) << 30;
    long stallBytesPerSecond = 1024;
    long stallSeconds = 30;
};

// Downloads an http or https address to a local file with libcurl, before it is converted:
// decoding straight from a server that can't seek gives corrupt audio. Follows up to five
// redirects (to http and https only), fails on HTTP errors, and stops within about a second of
// `stop` being set. A server is never trusted to end: a body larger than the size bound, or a
// transfer slower than the stall rate for the stall time, fails the download. Whatever way the
// download ends other than success, no file is left at `path`. Runs on the calling thread.
//
// An answer that is a web page (HTML by its type, or by its first bytes when it has none) is told
// apart: downloaded and reported as such, or refused at its headers, so that nothing of it is
// downloaded.
class UrlDownloader final {
public:
    struct Events {
        std::function<void(const std::string& host)> connecting;
        std::function<void(double bytesReceived)> received;
    };
    enum class WebPages { Download, Refuse };
    static Status download(const std::string& url, const std::string& path, const std::atomic<bool>& stop,
                           const Events& events, const DownloadLimits& limits = {},
                           WebPages pages = WebPages::Download, bool* isWebPage = nullptr);
};

} // namespace sonvale::engine
