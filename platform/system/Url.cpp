#include "platform/system/Url.h"

#include <curl/curl.h>

#include <memory>

namespace sonvale {
namespace {

struct UrlFree {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> part(CURLU* url, CURLUPart which)
{
    char* value = nullptr;
    if (curl_url_get(url, which, &value, 0) != CURLUE_OK || !value)
        return std::nullopt;
    std::string text(value);
    curl_free(value);
    return text;
}

} // namespace

std::optional<Url> Url::parse(const std::string& text)
{
    std::unique_ptr<CURLU, UrlFree> handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
        return std::nullopt;
    Url url;
    url.scheme = part(handle.get(), CURLUPART_SCHEME).value_or("");
    if (url.scheme != "http" && url.scheme != "https")
        return std::nullopt;
    url.host = part(handle.get(), CURLUPART_HOST).value_or("");
    if (url.host.empty())
        return std::nullopt;
    url.user = part(handle.get(), CURLUPART_USER);
    url.password = part(handle.get(), CURLUPART_PASSWORD);
    url.port = part(handle.get(), CURLUPART_PORT);
    url.path = part(handle.get(), CURLUPART_PATH).value_or("/");
    url.query = part(handle.get(), CURLUPART_QUERY);
    return url;
}

std::string Url::text() const
{
    std::string out = scheme + "://";
    if (user) {
        out += *user;
        if (password)
            out += ":" + *password;
        out += "@";
    }
    out += host;
    if (port)
        out += ":" + *port;
    out += path;
    if (query)
        out += "?" + *query;
    return out;
}

} // namespace sonvale
