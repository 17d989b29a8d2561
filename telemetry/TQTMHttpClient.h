#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMHttpClientProtocol.h"
#include "telemetry/TQTM_Reachability.h"

#include <memory>
#include <mutex>
#include <set>

class TQTMHttpCall;

// Sends the client's HTTP requests and owns their failure policy. Each request is a call that
// stays pending until it has a final outcome:
// - success, or any other answer that is not worth repeating, finishes the call;
// - recoverable answers (0, 408, 429, 5xx) and failures on the way to the server (no connection,
//   lost connection, TLS, time-out) are sent again after a randomised back-off (or the delay of
//   the "x-retry-after-ms" header); when a call has used all its retries the client pauses, and
//   a recoverable answer is then handed to the caller;
// - a pause (network down, retries used up) keeps the calls; the next resume sends them again.
// Reachability changes pause and resume the client while it is enabled.
//
// Made with create() and shared; every method may be called from any thread. Handlers run on the
// transport's thread (or the caller's, for an immediate refusal), outside the client's lock except
// for refusals and cancellations; they must not wait for another thread that calls the client.
class TQTMHttpClient final : public TQTMHttpClientProtocol,
                             public std::enable_shared_from_this<TQTMHttpClient> {
public:
    static const std::vector<double>& defaultRetryIntervals();

    // The clock times the retries and must outlive the client.
    static std::shared_ptr<TQTMHttpClient> create(std::unique_ptr<sonvale::HttpTransport> transport,
                                                  std::shared_ptr<TQTM_Reachability> reachability,
                                                  sonvale::Clock& clock);
    // A libcurl transport and the machine's reachability.
    static std::shared_ptr<TQTMHttpClient> create(sonvale::Clock& clock,
                                                  long maxHttpConnectionsPerHost = 0);
    ~TQTMHttpClient() override;

    void sendAsyncMethodHeadersDataCompletionHandler(
        const std::string& url, const std::string& method, const TQTMHttpHeaders& headers,
        std::optional<std::vector<uint8_t>> data, TQTMHttpRequestCompletionHandler handler) override;
    void sendAsyncMethodHeadersDataRetryIntervalsCompressionEnabledCompletionHandler(
        const std::string& url, const std::string& method, const TQTMHttpHeaders& headers,
        std::optional<std::vector<uint8_t>> data, std::vector<double> retryIntervals,
        bool compressionEnabled, TQTMHttpRequestCompletionHandler handler) override;
    void pause() override;
    void resume() override;
    void setEnabled(bool enabled) override;
    std::shared_ptr<TQTMHttpClientDelegate> delegate() const override;
    void setDelegate(const std::shared_ptr<TQTMHttpClientDelegate>& delegate) override;

    // Disabling pauses; with deletion it also cancels every pending call (code 2).
    void setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData);
    bool isEnabled() const;
    bool isPaused() const;
    size_t pendingCallCount() const;

private:
    TQTMHttpClient(std::unique_ptr<sonvale::HttpTransport> transport,
                   std::shared_ptr<TQTM_Reachability> reachability, sonvale::Clock& clock);

    void sendCallAsync(const std::shared_ptr<TQTMHttpCall>& call);
    void requestCompletedWithHttpCall(const std::shared_ptr<TQTMHttpCall>& call,
                                      sonvale::HttpResult result);
    void retryLater(const std::shared_ptr<TQTMHttpCall>& call, long statusCode,
                    std::optional<uint32_t> retryAfterMs);
    void networkStateChanged();
    // Removes the call and runs its handler outside the lock (which the caller holds once).
    void finishCall(std::unique_lock<std::recursive_mutex>& lock,
                    const std::shared_ptr<TQTMHttpCall>& call, sonvale::HttpResult result);

    sonvale::Clock& clock_;
    std::shared_ptr<TQTM_Reachability> reachability_;
    TQTM_Reachability::ObserverId observer_ = 0;
    mutable std::recursive_mutex mutex_;
    bool paused_ = false;
    bool enabled_ = true;
    std::weak_ptr<TQTMHttpClientDelegate> delegate_;
    std::set<std::shared_ptr<TQTMHttpCall>> pendingCalls_;
    std::unique_ptr<sonvale::HttpTransport> transport_;
};
