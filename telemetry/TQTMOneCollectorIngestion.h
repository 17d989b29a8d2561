#pragma once

#include "telemetry/TQTMHttpIngestion.h"

// The ingestion of the one-collector service: posts the logs of a container as a JSON stream (one
// compact object per line) to "<base URL>/OneCollector/1.0", with the target tokens of its logs in
// the "apikey" header. Made with create() and shared.
class TQTMOneCollectorIngestion final : public TQTMHttpIngestion {
public:
    static constexpr const char* kDefaultBaseUrl = "https://mobile.events.telquor.com";

    static std::shared_ptr<TQTMOneCollectorIngestion>
    create(std::shared_ptr<TQTMHttpClientProtocol> httpClient, const std::string& baseUrl);
    TQTMOneCollectorIngestion(std::shared_ptr<TQTMHttpClientProtocol> httpClient,
                              const std::string& baseUrl);

    void sendAsyncCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                    TQTMSendAsyncCompletionHandler handler) override;
    void willSendHTTPRequestToURLWithHeaders(const std::string& url,
                                             const TQTMHttpHeaders& headers) override;

protected:
    std::optional<TQTMHttpHeaders>
    getHeadersWithDataETag(const std::shared_ptr<TQTMLogContainer>& data,
                           const std::optional<std::string>& eTag) const override;
    std::optional<std::vector<uint8_t>>
    getPayloadWithData(const std::shared_ptr<TQTMLogContainer>& data) const override;
    std::string obfuscateResponsePayload(const std::string& payload) const override;
    std::string className() const override { return "TQTMOneCollectorIngestion"; }
};
