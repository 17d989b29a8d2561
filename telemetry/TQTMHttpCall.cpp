#include "telemetry/TQTMHttpCall.h"

#include "telemetry/TQTMCompression.h"
#include "telemetry/TQTMLogger.h"

#include <random>

TQTMHttpCall::TQTMHttpCall(std::string url, std::string method, TQTMHttpHeaders headers,
                           std::optional<std::vector<uint8_t>> data,
                           std::vector<double> retryIntervals, bool compressionEnabled,
                           TQTMHttpRequestCompletionHandler completionHandler,
                           sonvale::Clock& clock)
    : url_(std::move(url)), method_(std::move(method)), headers_(std::move(headers)),
      data_(std::move(data)), retryIntervals_(std::move(retryIntervals)),
      completionHandler_(std::move(completionHandler)), clock_(clock)
{
    if (compressionEnabled && data_ && data_->size() >= kMinimumCompressionSize) {
        // A body that fails to compress goes as it is: never an empty body marked gzip.
        if (std::optional<std::vector<uint8_t>> compressed = TQTMCompression::compressData(*data_)) {
            data_ = std::move(compressed);
            headers_["Content-Encoding"] = "gzip";
        }
    }
    if (data_ && !headers_.contains("Content-Type"))
        headers_["Content-Type"] = "application/json";
}

TQTMHttpCall::~TQTMHttpCall()
{
    resetRetry();
}

int TQTMHttpCall::retryCount() const
{
    std::lock_guard lock(mutex_);
    return retryCount_;
}

bool TQTMHttpCall::hasReachedMaxRetries() const
{
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(retryCount_) >= retryIntervals_.size();
}

void TQTMHttpCall::resetRetry()
{
    std::lock_guard lock(mutex_);
    if (timer_)
        clock_.cancelTimer(*timer_);
    timer_.reset();
    retryCount_ = 0;
}

void TQTMHttpCall::startRetryTimerWithStatusCodeRetryAfterEvent(long statusCode,
                                                                std::optional<uint32_t> retryAfterMs,
                                                                std::function<void()> event)
{
    std::lock_guard lock(mutex_);
    if (timer_)
        clock_.cancelTimer(*timer_);
    const uint32_t delay =
        retryAfterMs ? *retryAfterMs : delayForRetryCount(static_cast<size_t>(retryCount_));
    TQTMLogWarning(kTQTMCoreLogTag, "Call attempt #" + std::to_string(retryCount_) +
                                        " failed with status code: " + std::to_string(statusCode) +
                                        ", it will be retried in " + std::to_string(delay) +
                                        " ms.");
    ++retryCount_;
    timer_ = clock_.callAfter(std::chrono::milliseconds(delay), std::move(event));
}

uint32_t TQTMHttpCall::delayForRetryCount(size_t retryCount) const
{
    if (retryIntervals_.empty())
        return 0;
    const double interval = retryIntervals_[std::min(retryCount, retryIntervals_.size() - 1)];
    const auto half = static_cast<uint32_t>(interval * 1e9 * 0.5 / 1e6);
    if (half == 0)
        return 0;
    thread_local std::mt19937 generator{std::random_device{}()};
    return half + std::uniform_int_distribution<uint32_t>(0, half - 1)(generator);
}
