#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonvale {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
    std::string url;
    std::string method = "GET";
    HttpHeaders headers;
    std::vector<uint8_t> body;
};

struct HttpResponse {
    long statusCode = 0;
    HttpHeaders headers; // as received, in order
    // The first header of that name, compared without regard to case.
    std::optional<std::string> header(std::string_view name) const;
};

// Transport failures, with codes in one domain so callers can tell their kinds apart.
struct HttpError {
    static constexpr const char* kDomain = "sonvale.http";
    static constexpr int kCancelled = -999;
    static constexpr int kUnknown = -1;
    static constexpr int kTimedOut = -1001;
    static constexpr int kUnsupportedURL = -1002;
    static constexpr int kNetworkConnectionLost = -1005;
    static constexpr int kNotConnectedToInternet = -1009;
    static constexpr int kSecureConnectionFailed = -1200;

    std::string domain = kDomain;
    int code = kUnknown;
    std::string description;
};

// The outcome of one request: a response with its body, or an error.
struct HttpResult {
    std::optional<HttpResponse> response;
    std::vector<uint8_t> body;
    std::optional<HttpError> error;
};

// Sends HTTP requests (http and https only, with bounded connect and transfer times, no cookies,
// no redirects). Completions run on the transport's own thread, once per request, also when a
// request is cancelled. Safe from any thread.
class HttpTransport {
public:
    using Completion = std::function<void(HttpResult)>;

    virtual ~HttpTransport() = default;

    virtual void start(HttpRequest request, Completion completion) = 0;
    // Ends every request in flight; each completes with kCancelled.
    virtual void cancelAll() = 0;
};

} // namespace sonvale
