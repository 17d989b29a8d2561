#include "telemetry/TQTMTelemetryEndpoint.h"

#include "platform/system/Url.h"
#include "telemetry/TQTMLogger.h"

#include <cstdlib>

std::optional<std::string> TQTMTelemetryEndpoint::baseUrl()
{
    const char* value = std::getenv(kBaseUrlVariable);
    if (!value)
        return kDefaultBaseUrl;
    if (!isHttpUrl(value)) {
        TQTMLogError(kTQTMCoreLogTag, std::string(kBaseUrlVariable) + " is set to \"" + value +
                                          "\", which is no http or https URL; telemetry stays "
                                          "off.");
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<std::string> TQTMTelemetryEndpoint::appSecret()
{
    const char* value = std::getenv(kAppSecretVariable);
    if (!value)
        return kDefaultAppSecret;
    if (*value == '\0')
        return std::nullopt;
    return std::string(value);
}

bool TQTMTelemetryEndpoint::isHttpUrl(const std::string& text)
{
    const auto url = sonvale::Url::parse(text);
    return url && (url->scheme == "http" || url->scheme == "https") && !url->host.empty();
}
