#pragma once

#include "platform/system/HttpTransport.h"

#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

namespace sonvale {

// HttpTransport over libcurl's multi interface, on one transport thread per object. Destroying
// the transport cancels what is in flight (completions run) and joins the thread, so it must not
// be destroyed from a completion.
class HttpTransportCurl final : public HttpTransport {
public:
    struct Limits {
        std::chrono::milliseconds connect{15'000};
        std::chrono::milliseconds transfer{60'000};
        size_t maxResponseBytes = 16 * 1024 * 1024;
        long maxConnectionsPerHost = 0; // 0: no limit
    };

    HttpTransportCurl();
    explicit HttpTransportCurl(Limits limits);
    ~HttpTransportCurl() override;
    HttpTransportCurl(const HttpTransportCurl&) = delete;
    HttpTransportCurl& operator=(const HttpTransportCurl&) = delete;

    void start(HttpRequest request, Completion completion) override;
    void cancelAll() override;

private:
    struct Transfer;
    void run();

    const Limits limits_;
    void* multi_; // CURLM
    std::mutex mutex_;
    std::deque<std::pair<HttpRequest, Completion>> incoming_;
    bool cancelRequested_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace sonvale
