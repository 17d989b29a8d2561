#include "telemetry/TQTMHttpUtil.h"

#include "platform/system/HttpTransport.h"
#include "telemetry/TQTMError.h"

namespace {

constexpr size_t kVisibleSecretCharacters = 8;

bool isTransportError(const TQTMError& error)
{
    return error.domain == sonvale::HttpError::kDomain;
}

} // namespace

bool TQTMHttpUtil::isRecoverableError(long statusCode)
{
    return statusCode == 0 || statusCode == 408 || statusCode == 429 || statusCode >= 500;
}

bool TQTMHttpUtil::isSuccessStatusCode(long statusCode)
{
    return statusCode >= 200 && statusCode <= 299;
}

bool TQTMHttpUtil::isNoInternetConnectionError(const TQTMError& error)
{
    return isTransportError(error) &&
           (error.code == sonvale::HttpError::kNotConnectedToInternet ||
            error.code == sonvale::HttpError::kNetworkConnectionLost);
}

bool TQTMHttpUtil::isSSLConnectionError(const TQTMError& error)
{
    return isTransportError(error) && error.code >= -2000 && error.code <= -1200;
}

bool TQTMHttpUtil::isNetworkError(const TQTMError& error)
{
    return isNoInternetConnectionError(error) || isSSLConnectionError(error) ||
           (isTransportError(error) && error.code == sonvale::HttpError::kTimedOut);
}

std::string TQTMHttpUtil::hideSecret(std::string_view secret)
{
    const size_t hidden =
        secret.size() <= kVisibleSecretCharacters ? secret.size() : secret.size() - kVisibleSecretCharacters;
    return std::string(hidden, '*') + std::string(secret.substr(hidden));
}

std::string TQTMHttpUtil::hideSecretInStringSecret(std::string_view text, std::string_view secret)
{
    if (secret.empty())
        return std::string(text);
    const std::string masked = hideSecret(secret);
    std::string out;
    out.reserve(text.size());
    size_t copied = 0;
    for (size_t found = text.find(secret); found != std::string_view::npos;
         found = text.find(secret, copied)) {
        out.append(text.substr(copied, found - copied)).append(masked);
        copied = found + secret.size();
    }
    out.append(text.substr(copied));
    return out;
}
