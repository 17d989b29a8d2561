#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMHttpClientProtocol.h"

#include <mutex>
#include <optional>

// One request of the HTTP client from submission to its final outcome: the prepared request
// (body gzipped from 1,400 bytes, content type added) and its retry state. The request is made
// once; retries send the same bytes. The retry state is guarded by the call's own lock.
class TQTMHttpCall final {
public:
    static constexpr size_t kMinimumCompressionSize = 1400;

    TQTMHttpCall(std::string url, std::string method, TQTMHttpHeaders headers,
                 std::optional<std::vector<uint8_t>> data, std::vector<double> retryIntervals,
                 bool compressionEnabled, TQTMHttpRequestCompletionHandler completionHandler,
                 sonvale::Clock& clock);
    ~TQTMHttpCall();
    TQTMHttpCall(const TQTMHttpCall&) = delete;
    TQTMHttpCall& operator=(const TQTMHttpCall&) = delete;

    const std::string& url() const { return url_; }
    const std::string& method() const { return method_; }
    const TQTMHttpHeaders& headers() const { return headers_; }
    const std::optional<std::vector<uint8_t>>& data() const { return data_; }
    const std::vector<double>& retryIntervals() const { return retryIntervals_; }
    const TQTMHttpRequestCompletionHandler& completionHandler() const { return completionHandler_; }

    // Guarded by the client's lock.
    bool isInProgress() const { return inProgress_; }
    void setInProgress(bool inProgress) { inProgress_ = inProgress; }

    int retryCount() const;
    bool hasReachedMaxRetries() const;
    // Cancels the pending retry timer and starts counting again.
    void resetRetry();
    // Runs `event` once after the server's delay (milliseconds) or the back-off of the current
    // retry count, on the clock's timer thread; counts the retry.
    void startRetryTimerWithStatusCodeRetryAfterEvent(long statusCode,
                                                      std::optional<uint32_t> retryAfterMs,
                                                      std::function<void()> event);
    // Half the interval plus a random part of the other half, in milliseconds.
    uint32_t delayForRetryCount(size_t retryCount) const;

private:
    const std::string url_;
    const std::string method_;
    TQTMHttpHeaders headers_;
    std::optional<std::vector<uint8_t>> data_;
    const std::vector<double> retryIntervals_;
    const TQTMHttpRequestCompletionHandler completionHandler_;
    sonvale::Clock& clock_;
    bool inProgress_ = false;

    mutable std::mutex mutex_;
    int retryCount_ = 0;
    std::optional<sonvale::Clock::TimerId> timer_;
};
