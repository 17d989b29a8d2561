#include "telemetry/TQTMTelemetryIngestion.h"

#include "telemetry/TQTMHttpUtil.h"
#include "telemetry/TQTMLogContainer.h"
#include "telemetry/TQTMLogger.h"

namespace {

constexpr const char* kAppSecretHeader = "App-Secret";

} // namespace

std::shared_ptr<TQTMTelemetryIngestion>
TQTMTelemetryIngestion::create(std::shared_ptr<TQTMHttpClientProtocol> httpClient,
                               const std::string& baseUrl, const std::string& installId,
                               NetworkRequestsAllowed networkRequestsAllowed)
{
    auto ingestion = std::make_shared<TQTMTelemetryIngestion>(
        std::move(httpClient), baseUrl, installId, std::move(networkRequestsAllowed));
    ingestion->attachToHttpClient();
    return ingestion;
}

TQTMTelemetryIngestion::TQTMTelemetryIngestion(std::shared_ptr<TQTMHttpClientProtocol> httpClient,
                                               const std::string& baseUrl,
                                               const std::string& installId,
                                               NetworkRequestsAllowed networkRequestsAllowed)
    : TQTMHttpIngestion(std::move(httpClient), baseUrl, kApiPath,
                        {{"Content-Type", "application/json"}, {"Install-ID", installId}},
                        {{"api-version", "1.0.0"}}, std::move(networkRequestsAllowed))
{}

bool TQTMTelemetryIngestion::isReadyToSend() const
{
    return appSecret().has_value();
}

void TQTMTelemetryIngestion::sendAsyncCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                                        TQTMSendAsyncCompletionHandler handler)
{
    const std::string batchId = data && data->batchId() ? *data->batchId() : std::string();
    if (!data || !data->isValid()) {
        const TQTMError error = TQTMError::ofCode(TQTMError::kInvalidLogContainer);
        TQTMLogError(kTQTMCoreLogTag, error.description);
        handler(batchId, std::nullopt, std::nullopt, error);
        return;
    }
    if (!appSecret()) {
        TQTMLogError(kTQTMCoreLogTag, "Telemetry ingestion is used without app secret.");
        return;
    }
    TQTMHttpIngestion::sendAsyncCompletionHandler(
        data, [batchId, handler = std::move(handler)](const std::string&, auto response,
                                                      auto body, auto error) {
            handler(batchId, std::move(response), std::move(body), std::move(error));
        });
}

std::optional<TQTMHttpHeaders>
TQTMTelemetryIngestion::getHeadersWithDataETag(const std::shared_ptr<TQTMLogContainer>&,
                                               const std::optional<std::string>&) const
{
    TQTMHttpHeaders headers = httpHeaders();
    if (const std::optional<std::string> secret = appSecret())
        headers[kAppSecretHeader] = *secret;
    return headers;
}

std::optional<std::vector<uint8_t>>
TQTMTelemetryIngestion::getPayloadWithData(const std::shared_ptr<TQTMLogContainer>& data) const
{
    const std::optional<std::string> json = data ? data->serializeLog() : std::nullopt;
    if (!json)
        return std::nullopt;
    return std::vector<uint8_t>(json->begin(), json->end());
}

void TQTMTelemetryIngestion::willSendHTTPRequestToURLWithHeaders(const std::string& url,
                                                                 const TQTMHttpHeaders& headers)
{
    if (TQTMLogger::currentLogLevel() > TQTMLogLevelVerbose)
        return;
    std::string texts;
    for (const auto& [name, value] : headers)
        texts += (texts.empty() ? "" : ", ") + name + " = " +
                 (name == kAppSecretHeader ? TQTMHttpUtil::hideSecret(value) : value);
    TQTMLogVerbose(kTQTMCoreLogTag, "URL: " + url);
    TQTMLogVerbose(kTQTMCoreLogTag, "Headers: " + texts);
}

std::string TQTMTelemetryIngestion::obfuscateResponsePayload(const std::string& payload) const
{
    // A service that echoes the secret must not have it written to the log.
    const std::optional<std::string> secret = appSecret();
    return secret ? TQTMHttpUtil::hideSecretInStringSecret(payload, *secret) : payload;
}

std::optional<std::string> TQTMTelemetryIngestion::appSecret() const
{
    std::lock_guard lock(secretMutex_);
    return appSecret_;
}

void TQTMTelemetryIngestion::setAppSecret(std::optional<std::string> appSecret)
{
    std::lock_guard lock(secretMutex_);
    appSecret_ = std::move(appSecret);
}
