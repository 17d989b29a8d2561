#pragma once

#include "platform/system/HttpTransport.h"
#include "telemetry/TQTMError.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQTMHttpClientDelegate;

using TQTMHttpHeaders = std::map<std::string, std::string>;
// The response body, the response and an error, in that order; at most one of response and error.
using TQTMHttpRequestCompletionHandler =
    std::function<void(std::optional<std::vector<uint8_t>> data,
                       std::optional<sonvale::HttpResponse> response,
                       std::optional<TQTMError> error)>;

// What the ingestions see of the HTTP client.
class TQTMHttpClientProtocol {
public:
    virtual ~TQTMHttpClientProtocol() = default;

    // With the retry intervals 10, 300 and 1200 s and compression.
    virtual void sendAsyncMethodHeadersDataCompletionHandler(
        const std::string& url, const std::string& method, const TQTMHttpHeaders& headers,
        std::optional<std::vector<uint8_t>> data, TQTMHttpRequestCompletionHandler handler) = 0;
    virtual void sendAsyncMethodHeadersDataRetryIntervalsCompressionEnabledCompletionHandler(
        const std::string& url, const std::string& method, const TQTMHttpHeaders& headers,
        std::optional<std::vector<uint8_t>> data, std::vector<double> retryIntervals,
        bool compressionEnabled, TQTMHttpRequestCompletionHandler handler) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // The plain flag (no pause, resume or cancellation).
    virtual void setEnabled(bool enabled) = 0;
    virtual std::shared_ptr<TQTMHttpClientDelegate> delegate() const = 0;
    // Held weakly.
    virtual void setDelegate(const std::shared_ptr<TQTMHttpClientDelegate>& delegate) = 0;
};
