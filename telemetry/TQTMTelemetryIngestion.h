#pragma once

#include "telemetry/TQTMHttpIngestion.h"

// The ingestion of this program: posts the JSON of a log batch to "<base URL>/logs?api-version=
// 1.0.0" with the installation id and the application secret in headers. Sends nothing until a
// secret is set.
class TQTMTelemetryIngestion final : public TQTMHttpIngestion {
public:
    static constexpr const char* kApiPath = "/logs";

    // Use create(): the ingestion must be shared to receive the client's calls.
    static std::shared_ptr<TQTMTelemetryIngestion>
    create(std::shared_ptr<TQTMHttpClientProtocol> httpClient, const std::string& baseUrl,
           const std::string& installId, NetworkRequestsAllowed networkRequestsAllowed);

    bool isReadyToSend() const override;
    void sendAsyncCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                    TQTMSendAsyncCompletionHandler handler) override;
    void willSendHTTPRequestToURLWithHeaders(const std::string& url,
                                             const TQTMHttpHeaders& headers) override;

    std::optional<std::string> appSecret() const;
    void setAppSecret(std::optional<std::string> appSecret);

    TQTMTelemetryIngestion(std::shared_ptr<TQTMHttpClientProtocol> httpClient,
                           const std::string& baseUrl, const std::string& installId,
                           NetworkRequestsAllowed networkRequestsAllowed);

protected:
    std::optional<TQTMHttpHeaders>
    getHeadersWithDataETag(const std::shared_ptr<TQTMLogContainer>& data,
                           const std::optional<std::string>& eTag) const override;
    std::optional<std::vector<uint8_t>>
    getPayloadWithData(const std::shared_ptr<TQTMLogContainer>& data) const override;
    std::string obfuscateResponsePayload(const std::string& payload) const override;
    std::string className() const override { return "TQTMTelemetryIngestion"; }

private:
    mutable std::mutex secretMutex_;
    std::optional<std::string> appSecret_;
};
