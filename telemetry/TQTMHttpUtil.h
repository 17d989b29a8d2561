#pragma once

#include <string>
#include <string_view>

struct TQTMError;

// Classification of HTTP outcomes and masking of secrets for logs. Stateless.
class TQTMHttpUtil final {
public:
    TQTMHttpUtil() = delete;

    // 0 (no answer), 408, 429 and every status from 500 up.
    static bool isRecoverableError(long statusCode);
    static bool isSuccessStatusCode(long statusCode);
    // Not connected, or the connection was lost.
    static bool isNoInternetConnectionError(const TQTMError& error);
    static bool isSSLConnectionError(const TQTMError& error);
    // Failures of the way to the server rather than answers from it: worth trying again.
    static bool isNetworkError(const TQTMError& error);

    // All but the last 8 characters become "*" (a text of up to 8 characters becomes all "*").
    // Counted in bytes: secrets are ASCII.
    static std::string hideSecret(std::string_view secret);
    // Every occurrence of the secret in the text, masked; one linear pass over the text.
    static std::string hideSecretInStringSecret(std::string_view text, std::string_view secret);
};
