#include "telemetry/TQTMOneCollectorIngestion.h"

#include "telemetry/TQTMAbstractLog.h"
#include "telemetry/TQTMCSExtensions.h"
#include "telemetry/TQTMCommonSchemaLog.h"
#include "telemetry/TQTMHttpUtil.h"
#include "telemetry/TQTMLogContainer.h"
#include "telemetry/TQTMLogger.h"
#include "telemetry/TQTMProtocolExtension.h"
#include "telemetry/TQTMTicketCache.h"
#include "telemetry/TQTMUtility.h"

#include <nlohmann/json.hpp>

#include <set>
#include <sstream>

namespace {

constexpr const char* kApiKeyHeader = "apikey";
constexpr const char* kTicketsHeader = "Tickets";

std::string joined(const std::vector<std::string>& items, const std::string& separator)
{
    std::string text;
    for (const auto& item : items)
        text += (text.empty() ? "" : separator) + item;
    return text;
}

} // namespace

std::shared_ptr<TQTMOneCollectorIngestion>
TQTMOneCollectorIngestion::create(std::shared_ptr<TQTMHttpClientProtocol> httpClient,
                                  const std::string& baseUrl)
{
    auto ingestion = std::make_shared<TQTMOneCollectorIngestion>(std::move(httpClient), baseUrl);
    ingestion->attachToHttpClient();
    return ingestion;
}

TQTMOneCollectorIngestion::TQTMOneCollectorIngestion(
    std::shared_ptr<TQTMHttpClientProtocol> httpClient, const std::string& baseUrl)
    : TQTMHttpIngestion(std::move(httpClient), baseUrl, "/OneCollector/1.0",
                        {{"Content-Type", "application/x-json-stream; charset=utf-8"},
                         {"Client-Version", "ACS-iOS-ObjectiveC-no-" + TQTMUtility::sdkVersion() +
                                                "-no"}},
                        {}, [] { return true; }, {10, 300, 1200}, 2)
{
}

void TQTMOneCollectorIngestion::sendAsyncCompletionHandler(
    const std::shared_ptr<TQTMLogContainer>& data, TQTMSendAsyncCompletionHandler handler)
{
    if (!refuseInvalidContainer(data, handler))
        sendContainer(data, std::move(handler));
}

std::optional<TQTMHttpHeaders>
TQTMOneCollectorIngestion::getHeadersWithDataETag(const std::shared_ptr<TQTMLogContainer>& data,
                                                  const std::optional<std::string>&) const
{
    TQTMHttpHeaders headers = httpHeaders();
    std::set<std::string> tokens;
    nlohmann::json tickets = nlohmann::json::object();
    for (const auto& log : data->logs()) {
        if (const auto logTokens = log->transmissionTargetTokens())
            tokens.insert(logTokens->begin(), logTokens->end());
        const auto* schemaLog = dynamic_cast<const TQTMCommonSchemaLog*>(log.get());
        if (!schemaLog || !schemaLog->ext() || !schemaLog->ext()->protocolExt())
            continue;
        for (const auto& key : schemaLog->ext()->protocolExt()->ticketKeys().value_or(
                 std::vector<std::string>{}))
            if (const auto ticket = TQTMTicketCache::sharedInstance().ticketFor(key))
                tickets[key] = *ticket;
    }
    headers[kApiKeyHeader] = joined({tokens.begin(), tokens.end()}, ",");
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    headers["Upload-Time"] =
        std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    if (!tickets.empty())
        headers[kTicketsHeader] = tickets.dump();
    return headers;
}

std::optional<std::vector<uint8_t>>
TQTMOneCollectorIngestion::getPayloadWithData(const std::shared_ptr<TQTMLogContainer>& data) const
{
    std::string body;
    for (const auto& log : data->logs())
        body += log->serializeLogWithPrettyPrinting(false).value_or("") + "\n";
    return std::vector<uint8_t>(body.begin(), body.end());
}

void TQTMOneCollectorIngestion::willSendHTTPRequestToURLWithHeaders(const std::string& url,
                                                                    const TQTMHttpHeaders& headers)
{
    if (TQTMLogger::currentLogLevel() > TQTMLogLevelVerbose)
        return;
    std::vector<std::string> entries;
    for (const auto& [name, value] : headers) {
        std::string shown = value;
        if (name == kApiKeyHeader) {
            std::vector<std::string> masked;
            std::istringstream tokens(value);
            for (std::string token; std::getline(tokens, token, ',');)
                masked.push_back(TQTMHttpUtil::hideSecret(token));
            shown = joined(masked, ",");
        } else if (name == kTicketsHeader) {
            shown = TQTMUtility::obfuscateAfterEveryColon(value);
        }
        entries.push_back(name + " = " + shown);
    }
    TQTMLogVerbose(kTQTMCoreLogTag, "URL: " + url);
    TQTMLogVerbose(kTQTMCoreLogTag, "Headers: " + joined(entries, ", "));
}

std::string TQTMOneCollectorIngestion::obfuscateResponsePayload(const std::string& payload) const
{
    return TQTMUtility::obfuscateJsonStringMembersNamed(payload, "token");
}
