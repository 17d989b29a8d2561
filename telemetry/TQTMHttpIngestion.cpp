#include "telemetry/TQTMHttpIngestion.h"

#include "platform/system/Url.h"
#include "platform/system/Uuid.h"
#include "telemetry/TQTMLogContainer.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMUtility.h"

#include <algorithm>
#include <cctype>

namespace {

// Characters that stand for themselves in a URL query.
bool isQueryCharacter(unsigned char c)
{
    return std::isalnum(c) || std::string_view("-._~!$&'()*+,;=:@/?").find(static_cast<char>(c)) !=
                                  std::string_view::npos;
}

std::string percentEncodedQuery(const std::string& query)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : query) {
        const auto byte = static_cast<unsigned char>(c);
        if (isQueryCharacter(byte)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0f];
        }
    }
    return out;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

TQTMHttpIngestion::TQTMHttpIngestion(std::shared_ptr<TQTMHttpClientProtocol> httpClient,
                                     std::string baseUrl, std::string apiPath,
                                     TQTMHttpHeaders headers, QueryStrings queryStrings,
                                     NetworkRequestsAllowed networkRequestsAllowed,
                                     std::vector<double> retryIntervals,
                                     int64_t maxNumberOfConnections)
    : baseURL_(std::move(baseUrl)), apiPath_(std::move(apiPath)),
      httpHeaders_(std::move(headers)), httpClient_(std::move(httpClient)),
      networkRequestsAllowed_(std::move(networkRequestsAllowed)),
      maxNumberOfConnections_(maxNumberOfConnections),
      callsRetryIntervals_(std::move(retryIntervals))
{
    sendURL_ = buildURLWithBaseURLApiPathQueryStrings(baseURL_, apiPath_, queryStrings);
}

void TQTMHttpIngestion::attachToHttpClient()
{
    httpClient_->setDelegate(shared_from_this());
}

std::optional<std::string> TQTMHttpIngestion::buildURLWithBaseURLApiPathQueryStrings(
    const std::string& baseUrl, const std::string& apiPath, const QueryStrings& queryStrings)
{
    std::string text = baseUrl + apiPath;
    std::string query;
    for (const auto& [key, value] : queryStrings)
        query += (query.empty() ? "" : "&") + key + "=" + value;
    if (!query.empty())
        text += "?" + percentEncodedQuery(query);
    const std::optional<sonvale::Url> url = sonvale::Url::parse(text);
    if (!url)
        return std::nullopt;
    return text;
}

void TQTMHttpIngestion::setBaseURL(const std::string& baseUrl)
{
    std::lock_guard lock(mutex_);
    baseURL_ = baseUrl;
    const std::optional<sonvale::Url> moved = sonvale::Url::parse(baseUrl + apiPath_);
    std::optional<sonvale::Url> current = sendURL_ ? sonvale::Url::parse(*sendURL_) : std::nullopt;
    if (moved && current) {
        current->scheme = moved->scheme;
        current->user = moved->user;
        current->password = moved->password;
        current->host = moved->host;
        current->port = moved->port;
        current->path = moved->path;
        sendURL_ = current->text();
        return;
    }
    TQTMLogInfo(kTQTMCoreLogTag, "Failed to update HTTP URL " + sendURL_.value_or("(null)") +
                                     " with " + baseUrl);
}

std::optional<std::string> TQTMHttpIngestion::sendURL() const
{
    std::lock_guard lock(mutex_);
    return sendURL_;
}

bool TQTMHttpIngestion::isReadyToSend() const
{
    return true;
}

bool TQTMHttpIngestion::isEnabled() const
{
    std::lock_guard lock(mutex_);
    return enabled_ && networkRequestsAllowed_();
}

void TQTMHttpIngestion::setEnabledAndDeleteDataOnDisabled(bool enabled, bool)
{
    std::lock_guard lock(mutex_);
    enabled_ = enabled;
}

void TQTMHttpIngestion::sendAsyncCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                                   TQTMSendAsyncCompletionHandler handler)
{
    sendAsyncETagCompletionHandler(data, std::nullopt, std::move(handler));
}

void TQTMHttpIngestion::sendAsyncETagCompletionHandler(
    const std::shared_ptr<TQTMLogContainer>& data, const std::optional<std::string>& eTag,
    TQTMSendAsyncCompletionHandler handler)
{
    sendAsyncETagCallIdCompletionHandler(data, eTag, sonvale::Uuid::random().toString(),
                                         std::move(handler));
}

void TQTMHttpIngestion::sendAsyncETagCallIdCompletionHandler(
    const std::shared_ptr<TQTMLogContainer>& data, const std::optional<std::string>& eTag,
    const std::string& callId, TQTMSendAsyncCompletionHandler handler)
{
    std::lock_guard lock(mutex_);
    if (!isEnabled() || !sendURL_) {
        TQTMLogWarning(kTQTMCoreLogTag, className() + " is disabled.");
        handler(callId, std::nullopt, std::nullopt, TQTMError::ofCode(TQTMError::kServiceDisabled));
        return;
    }
    std::weak_ptr<const TQTMHttpIngestion> weak = shared_from_this();
    httpClient_->sendAsyncMethodHeadersDataRetryIntervalsCompressionEnabledCompletionHandler(
        *sendURL_, getHttpMethod(), getHeadersWithDataETag(data, eTag).value_or(TQTMHttpHeaders{}),
        getPayloadWithData(data), callsRetryIntervals_, true,
        [weak, callId, handler = std::move(handler)](auto body, auto response, auto error) {
            if (auto self = weak.lock())
                self->printResponseBodyError(response, body, error);
            handler(callId, std::move(response), std::move(body), std::move(error));
        });
}

std::optional<std::string> TQTMHttpIngestion::eTagFromResponse(const sonvale::HttpResponse& response)
{
    return response.header("etag");
}

void TQTMHttpIngestion::printResponseBodyError(const std::optional<sonvale::HttpResponse>& response,
                                               const std::optional<std::vector<uint8_t>>& body,
                                               const std::optional<TQTMError>& error) const
{
    if (error) {
        TQTMLogDebug(kTQTMCoreLogTag, "HTTP request error with code: " + std::to_string(error->code) +
                                          ", domain: " + error->domain +
                                          ", description: " + error->description);
        return;
    }
    if (TQTMLogger::currentLogLevel() > TQTMLogLevelVerbose || !response)
        return;
    const std::string type = response->header("Content-Type").value_or("");
    const std::string text = body ? std::string(body->begin(), body->end()) : std::string();
    std::string payload;
    if (text.empty())
        payload = "";
    else if (startsWith(type, "application/json"))
        payload = obfuscateResponsePayload(TQTMUtility::prettyPrintJson(text));
    else if (type.empty() || startsWith(type, "text/") || startsWith(type, "application/"))
        payload = obfuscateResponsePayload(text);
    else
        payload = "<binary>";
    TQTMLogVerbose(kTQTMCoreLogTag, "HTTP response received with status code: " +
                                        std::to_string(response->statusCode) + ", payload:\n" +
                                        payload);
}

void TQTMHttpIngestion::willSendHTTPRequestToURLWithHeaders(const std::string&,
                                                            const TQTMHttpHeaders&)
{
}

std::optional<TQTMHttpHeaders>
TQTMHttpIngestion::getHeadersWithDataETag(const std::shared_ptr<TQTMLogContainer>&,
                                          const std::optional<std::string>&) const
{
    return std::nullopt;
}

std::optional<std::vector<uint8_t>>
TQTMHttpIngestion::getPayloadWithData(const std::shared_ptr<TQTMLogContainer>&) const
{
    return std::nullopt;
}

std::string TQTMHttpIngestion::obfuscateResponsePayload(const std::string& payload) const
{
    return payload;
}

std::string TQTMHttpIngestion::getHttpMethod() const
{
    return "POST";
}
