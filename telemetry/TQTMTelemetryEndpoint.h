#pragma once

#include <optional>
#include <string>

// Where this program's telemetry goes and the application secret it presents, kept in one place.
// The environment variables SONVALE_TELEMETRY_URL (base URL) and SONVALE_TELEMETRY_SECRET (secret)
// replace the built-in values, so that tests and people who run their own collector can point the
// client elsewhere; an empty secret means none.
class TQTMTelemetryEndpoint final {
public:
    static constexpr const char* kDefaultBaseUrl = "https://in.telemetry.telquor.com";
    static constexpr const char* kDefaultAppSecret = "5d1c7a2e-93b4-4f0a-8e61-2b7f4c9d0a35";
    static constexpr const char* kBaseUrlVariable = "SONVALE_TELEMETRY_URL";
    static constexpr const char* kAppSecretVariable = "SONVALE_TELEMETRY_SECRET";

    TQTMTelemetryEndpoint() = delete;

    // The base URL, or nothing when the variable holds a text that is no http or https URL
    // (logged): the client then stays off rather than send somewhere it was not told to.
    static std::optional<std::string> baseUrl();
    static std::optional<std::string> appSecret();
    static bool isHttpUrl(const std::string& text);
};
