#pragma once

#include "telemetry/TQTMHttpClientDelegate.h"
#include "telemetry/TQTMHttpClientProtocol.h"
#include "telemetry/TQTMIngestionProtocol.h"

#include <functional>
#include <mutex>
#include <utility>

// The base of the ingestions: turns one data object into one HTTP request to the service through
// the HTTP client, and logs requests and responses. Subclasses supply headers, body and masking.
// Safe from any thread: a lock guards the flag and the URL while a request is handed on.
class TQTMHttpIngestion : public TQTMIngestionProtocol,
                          public TQTMHttpClientDelegate,
                          public std::enable_shared_from_this<TQTMHttpIngestion> {
public:
    using QueryStrings = std::vector<std::pair<std::string, std::string>>;
    // Whether the client may use the network at all (false: every send fails at once).
    using NetworkRequestsAllowed = std::function<bool()>;

    // Make it shared and then call attachToHttpClient() (it becomes the client's delegate).
    TQTMHttpIngestion(std::shared_ptr<TQTMHttpClientProtocol> httpClient, std::string baseUrl,
                      std::string apiPath, TQTMHttpHeaders headers, QueryStrings queryStrings,
                      NetworkRequestsAllowed networkRequestsAllowed,
                      std::vector<double> retryIntervals = {10, 300, 1200},
                      int64_t maxNumberOfConnections = 4);
    void attachToHttpClient();

    bool isReadyToSend() const override;
    bool isEnabled() const override;
    void setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData) override;
    void sendAsyncCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                    TQTMSendAsyncCompletionHandler handler) override;
    void sendAsyncETagCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                        const std::optional<std::string>& eTag,
                                        TQTMSendAsyncCompletionHandler handler) override;
    void sendAsyncETagCallIdCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                              const std::optional<std::string>& eTag,
                                              const std::string& callId,
                                              TQTMSendAsyncCompletionHandler handler);

    // Moves the service to another scheme, host and port, keeping path and query; a text that is
    // no http or https URL leaves the URL as it was (logged).
    void setBaseURL(const std::string& baseUrl);
    std::optional<std::string> sendURL() const;
    const std::vector<double>& callsRetryIntervals() const { return callsRetryIntervals_; }
    int64_t maxNumberOfConnections() const { return maxNumberOfConnections_; }
    const std::shared_ptr<TQTMHttpClientProtocol>& httpClient() const { return httpClient_; }

    static std::optional<std::string> buildURLWithBaseURLApiPathQueryStrings(
        const std::string& baseUrl, const std::string& apiPath, const QueryStrings& queryStrings);
    static std::optional<std::string> eTagFromResponse(const sonvale::HttpResponse& response);
    void printResponseBodyError(const std::optional<sonvale::HttpResponse>& response,
                                const std::optional<std::vector<uint8_t>>& body,
                                const std::optional<TQTMError>& error) const;

    void willSendHTTPRequestToURLWithHeaders(const std::string& url,
                                             const TQTMHttpHeaders& headers) override;

protected:
    virtual std::optional<TQTMHttpHeaders>
    getHeadersWithDataETag(const std::shared_ptr<TQTMLogContainer>& data,
                           const std::optional<std::string>& eTag) const;
    virtual std::optional<std::vector<uint8_t>>
    getPayloadWithData(const std::shared_ptr<TQTMLogContainer>& data) const;
    // Masks secrets in a logged response body.
    virtual std::string obfuscateResponsePayload(const std::string& payload) const;
    virtual std::string getHttpMethod() const;
    virtual std::string className() const { return "TQTMHttpIngestion"; }

    const TQTMHttpHeaders& httpHeaders() const { return httpHeaders_; }

private:
    mutable std::recursive_mutex mutex_;
    bool enabled_ = true;
    std::string baseURL_;
    const std::string apiPath_;
    std::optional<std::string> sendURL_;
    const TQTMHttpHeaders httpHeaders_;
    const std::shared_ptr<TQTMHttpClientProtocol> httpClient_;
    const NetworkRequestsAllowed networkRequestsAllowed_;
    const int64_t maxNumberOfConnections_;
    const std::vector<double> callsRetryIntervals_;
};
