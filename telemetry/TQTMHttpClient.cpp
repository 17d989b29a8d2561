#include "telemetry/TQTMHttpClient.h"

#include "platform/system/HttpTransportCurl.h"
#include "telemetry/TQTMHttpCall.h"
#include "telemetry/TQTMHttpClientDelegate.h"
#include "telemetry/TQTMHttpUtil.h"
#include "telemetry/TQTMLogger.h"

#include <charconv>
#include <thread>

namespace {

std::optional<uint32_t> parsedRetryAfter(const std::optional<sonvale::HttpResponse>& response)
{
    if (!response)
        return std::nullopt;
    const std::optional<std::string> header = response->header("x-retry-after-ms");
    if (!header)
        return std::nullopt;
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(header->data(), header->data() + header->size(), value);
    if (error != std::errc() || end != header->data() + header->size())
        return std::nullopt;
    return value;
}

// Drops a reference taken on the transport's or the reachability's own thread. Were it the last,
// the client would end there and its transport or queue would wait for its own thread; the last
// reference is then dropped on a thread of its own instead.
void releaseOffThisThread(std::shared_ptr<TQTMHttpClient> client)
{
    if (client.use_count() == 1)
        std::thread([last = std::move(client)] {}).detach();
}

} // namespace

const std::vector<double>& TQTMHttpClient::defaultRetryIntervals()
{
    static const std::vector<double> intervals = {10, 300, 1200};
    return intervals;
}

std::shared_ptr<TQTMHttpClient>
TQTMHttpClient::create(std::unique_ptr<sonvale::HttpTransport> transport,
                       std::shared_ptr<TQTM_Reachability> reachability, sonvale::Clock& clock)
{
    std::shared_ptr<TQTMHttpClient> client(
        new TQTMHttpClient(std::move(transport), std::move(reachability), clock));
    std::weak_ptr<TQTMHttpClient> weak = client;
    client->observer_ = client->reachability_->addObserver([weak](TQTM_Reachability&) {
        if (auto strong = weak.lock()) {
            strong->networkStateChanged();
            releaseOffThisThread(std::move(strong));
        }
    });
    client->reachability_->startNotifier();
    return client;
}

std::shared_ptr<TQTMHttpClient> TQTMHttpClient::create(sonvale::Clock& clock,
                                                       long maxHttpConnectionsPerHost)
{
    sonvale::HttpTransportCurl::Limits limits;
    limits.maxConnectionsPerHost = maxHttpConnectionsPerHost;
    return create(std::make_unique<sonvale::HttpTransportCurl>(limits),
                  TQTM_Reachability::reachabilityForInternetConnection(), clock);
}

TQTMHttpClient::TQTMHttpClient(std::unique_ptr<sonvale::HttpTransport> transport,
                               std::shared_ptr<TQTM_Reachability> reachability,
                               sonvale::Clock& clock)
    : clock_(clock), reachability_(std::move(reachability)), transport_(std::move(transport))
{}

TQTMHttpClient::~TQTMHttpClient()
{
    reachability_->stopNotifier();
    reachability_->removeObserver(observer_);
    {
        std::lock_guard lock(mutex_);
        pendingCalls_.clear(); // their timers are cancelled with them
    }
    transport_.reset(); // in-flight requests end here; their completions find no client
}

void TQTMHttpClient::sendAsyncMethodHeadersDataCompletionHandler(
    const std::string& url, const std::string& method, const TQTMHttpHeaders& headers,
    std::optional<std::vector<uint8_t>> data, TQTMHttpRequestCompletionHandler handler)
{
    sendAsyncMethodHeadersDataRetryIntervalsCompressionEnabledCompletionHandler(
        url, method, headers, std::move(data), defaultRetryIntervals(), true, std::move(handler));
}

void TQTMHttpClient::sendAsyncMethodHeadersDataRetryIntervalsCompressionEnabledCompletionHandler(
    const std::string& url, const std::string& method, const TQTMHttpHeaders& headers,
    std::optional<std::vector<uint8_t>> data, std::vector<double> retryIntervals,
    bool compressionEnabled, TQTMHttpRequestCompletionHandler handler)
{
    std::lock_guard lock(mutex_);
    if (!enabled_) {
        handler(std::nullopt, std::nullopt, TQTMError::ofCode(TQTMError::kServiceDisabled));
        return;
    }
    sendCallAsync(std::make_shared<TQTMHttpCall>(url, method, headers, std::move(data),
                                                 std::move(retryIntervals), compressionEnabled,
                                                 std::move(handler), clock_));
}

void TQTMHttpClient::sendCallAsync(const std::shared_ptr<TQTMHttpCall>& call)
{
    std::lock_guard lock(mutex_);
    pendingCalls_.insert(call);
    if (paused_)
        return; // waits for resume()
    if (const std::shared_ptr<TQTMHttpClientDelegate> delegate = delegate_.lock())
        delegate->willSendHTTPRequestToURLWithHeaders(call->url(), call->headers());
    sonvale::HttpRequest request;
    request.url = call->url();
    request.method = call->method();
    request.headers.assign(call->headers().begin(), call->headers().end());
    if (call->data())
        request.body = *call->data();
    call->setInProgress(true);
    std::weak_ptr<TQTMHttpClient> weak = weak_from_this();
    transport_->start(std::move(request), [weak, call](sonvale::HttpResult result) {
        if (auto client = weak.lock()) {
            client->requestCompletedWithHttpCall(call, std::move(result));
            releaseOffThisThread(std::move(client));
        }
    });
}

void TQTMHttpClient::requestCompletedWithHttpCall(const std::shared_ptr<TQTMHttpCall>& call,
                                                  sonvale::HttpResult result)
{
    std::unique_lock lock(mutex_);
    call->setInProgress(false);
    if (!pendingCalls_.contains(call)) {
        TQTMLogDebug(kTQTMCoreLogTag, "HTTP call was canceled; do not process further.");
        return;
    }
    if (result.error) {
        const TQTMError error = TQTMError::fromHttpError(*result.error);
        if (TQTMHttpUtil::isNetworkError(error)) {
            TQTMLogInfo(kTQTMCoreLogTag,
                        std::string("HTTP call failed with error: ") +
                            (TQTMHttpUtil::isSSLConnectionError(error)
                                 ? "Could not establish secure connection."
                                 : "Internet connection is down."));
            // The way to the server failed, not the request: it waits and goes again.
            retryLater(call, 0, std::nullopt);
            return;
        }
        TQTMLogError(kTQTMCoreLogTag, "HTTP request error with code: " + std::to_string(error.code) +
                                          ", domain: " + error.domain +
                                          ", description: " + error.description);
        finishCall(lock, call, std::move(result));
        return;
    }
    const long status = result.response ? result.response->statusCode : 0;
    if (TQTMHttpUtil::isRecoverableError(status)) {
        if (call->hasReachedMaxRetries()) {
            pause();
            finishCall(lock, call, std::move(result));
            return;
        }
        retryLater(call, status, parsedRetryAfter(result.response));
        return;
    }
    // Success, or an answer that refuses this request only: the call ends with it, and the
    // other calls go on.
    finishCall(lock, call, std::move(result));
}

void TQTMHttpClient::retryLater(const std::shared_ptr<TQTMHttpCall>& call, long statusCode,
                                std::optional<uint32_t> retryAfterMs)
{
    if (call->hasReachedMaxRetries()) {
        // Kept, not failed: it goes again when the client resumes.
        pause();
        return;
    }
    std::weak_ptr<TQTMHttpClient> weak = weak_from_this();
    std::weak_ptr<TQTMHttpCall> weakCall = call;
    call->startRetryTimerWithStatusCodeRetryAfterEvent(statusCode, retryAfterMs, [weak, weakCall] {
        auto client = weak.lock();
        auto pending = weakCall.lock();
        if (client && pending)
            client->sendCallAsync(pending);
    });
}

void TQTMHttpClient::finishCall(std::unique_lock<std::recursive_mutex>& lock,
                                const std::shared_ptr<TQTMHttpCall>& call,
                                sonvale::HttpResult result)
{
    pendingCalls_.erase(call);
    lock.unlock();
    std::optional<TQTMError> error;
    if (result.error)
        error = TQTMError::fromHttpError(*result.error);
    call->completionHandler()(result.error ? std::nullopt : std::optional(std::move(result.body)),
                              std::move(result.response), std::move(error));
}

void TQTMHttpClient::networkStateChanged()
{
    if (reachability_->currentReachabilityStatus() == 0) {
        TQTMLogInfo(kTQTMCoreLogTag, "Internet connection is down.");
        pause();
    } else {
        TQTMLogInfo(kTQTMCoreLogTag, "Internet connection is up.");
        resume();
    }
}

void TQTMHttpClient::pause()
{
    std::lock_guard lock(mutex_);
    if (paused_)
        return;
    TQTMLogInfo(kTQTMCoreLogTag, "Pause HTTP client.");
    paused_ = true;
    for (const auto& call : pendingCalls_)
        call->resetRetry();
}

void TQTMHttpClient::resume()
{
    std::lock_guard lock(mutex_);
    if (!paused_ || !enabled_)
        return;
    TQTMLogInfo(kTQTMCoreLogTag, "Resume HTTP client.");
    paused_ = false;
    const std::set<std::shared_ptr<TQTMHttpCall>> calls = pendingCalls_;
    for (const auto& call : calls)
        if (!call->isInProgress())
            sendCallAsync(call);
}

void TQTMHttpClient::setEnabled(bool enabled)
{
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
}

void TQTMHttpClient::setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData)
{
    std::unique_lock lock(mutex_);
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    if (enabled) {
        reachability_->startNotifier();
        resume();
        return;
    }
    reachability_->stopNotifier();
    pause();
    if (!deleteData)
        return;
    const std::set<std::shared_ptr<TQTMHttpCall>> calls = std::move(pendingCalls_);
    pendingCalls_.clear();
    for (const auto& call : calls) {
        call->resetRetry();
        call->completionHandler()(std::nullopt, std::nullopt,
                                  TQTMError::ofCode(TQTMError::kCanceled));
    }
    transport_->cancelAll(); // requests in flight end; their completions find no call
}

bool TQTMHttpClient::isEnabled() const
{
    std::lock_guard lock(mutex_);
    return enabled_;
}

bool TQTMHttpClient::isPaused() const
{
    std::lock_guard lock(mutex_);
    return paused_;
}

size_t TQTMHttpClient::pendingCallCount() const
{
    std::lock_guard lock(mutex_);
    return pendingCalls_.size();
}

std::shared_ptr<TQTMHttpClientDelegate> TQTMHttpClient::delegate() const
{
    std::lock_guard lock(mutex_);
    return delegate_.lock();
}

void TQTMHttpClient::setDelegate(const std::shared_ptr<TQTMHttpClientDelegate>& delegate)
{
    std::lock_guard lock(mutex_);
    delegate_ = delegate;
}
