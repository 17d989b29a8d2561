#include "platform/system/HttpTransportCurl.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>

namespace sonvale {
namespace {

// curl_global_init is not thread-safe: made once, before the first handle.
void initialiseCurlOnce()
{
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)result;
}

bool sameLetters(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

HttpError errorFor(CURLcode code)
{
    HttpError error;
    error.description = curl_easy_strerror(code);
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
        error.code = HttpError::kNotConnectedToInternet;
        break;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        error.code = HttpError::kNetworkConnectionLost;
        break;
    case CURLE_OPERATION_TIMEDOUT:
        error.code = HttpError::kTimedOut;
        break;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        error.code = HttpError::kUnsupportedURL;
        break;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        error.code = HttpError::kSecureConnectionFailed;
        break;
    default:
        error.code = HttpError::kUnknown;
        break;
    }
    return error;
}

HttpError cancelledError()
{
    HttpError error;
    error.code = HttpError::kCancelled;
    error.description = "cancelled";
    return error;
}

} // namespace

std::optional<std::string> HttpResponse::header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (sameLetters(key, name))
            return value;
    return std::nullopt;
}

// One request in flight; owned by the transport thread.
struct HttpTransportCurl::Transfer {
    CURL* easy = nullptr;
    curl_slist* headerList = nullptr;
    HttpRequest request;
    Completion completion;
    HttpResult result;
    size_t maxBytes = 0;
    bool tooLarge = false;

    ~Transfer()
    {
        curl_slist_free_all(headerList);
        if (easy)
            curl_easy_cleanup(easy);
    }

    static size_t onBody(char* data, size_t size, size_t count, void* self)
    {
        auto* transfer = static_cast<Transfer*>(self);
        const size_t bytes = size * count;
        if (transfer->result.body.size() + bytes > transfer->maxBytes) {
            transfer->tooLarge = true;
            return 0; // aborts the transfer
        }
        transfer->result.body.insert(transfer->result.body.end(), data, data + bytes);
        return bytes;
    }

    static size_t onHeader(char* data, size_t size, size_t count, void* self)
    {
        auto* transfer = static_cast<Transfer*>(self);
        const std::string_view line(data, size * count);
        if (line.rfind("HTTP/", 0) == 0) { // a new response (after 100 Continue) starts afresh
            transfer->result.response = HttpResponse{};
            return line.size();
        }
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && transfer->result.response) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                value.remove_prefix(1);
            while (!value.empty() && (value.back() == '\r' || value.back() == '\n' ||
                                      value.back() == ' '))
                value.remove_suffix(1);
            transfer->result.response->headers.emplace_back(std::string(line.substr(0, colon)),
                                                             std::string(value));
        }
        return line.size();
    }
};

HttpTransportCurl::HttpTransportCurl()
    : HttpTransportCurl(Limits{})
{}

HttpTransportCurl::HttpTransportCurl(Limits limits)
    : limits_(limits)
{
    initialiseCurlOnce();
    multi_ = curl_multi_init();
    if (limits_.maxConnectionsPerHost > 0)
        curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, limits_.maxConnectionsPerHost);
    thread_ = std::thread([this] { run(); });
}

HttpTransportCurl::~HttpTransportCurl()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    curl_multi_wakeup(multi_);
    thread_.join();
    curl_multi_cleanup(multi_);
}

void HttpTransportCurl::start(HttpRequest request, Completion completion)
{
    {
        std::lock_guard lock(mutex_);
        incoming_.emplace_back(std::move(request), std::move(completion));
    }
    curl_multi_wakeup(multi_);
}

void HttpTransportCurl::cancelAll()
{
    {
        std::lock_guard lock(mutex_);
        cancelRequested_ = true;
    }
    curl_multi_wakeup(multi_);
}

void HttpTransportCurl::run()
{
    CURLM* multi = multi_;
    std::map<CURL*, std::unique_ptr<Transfer>> running;
    const auto finish = [&](std::unique_ptr<Transfer> transfer) {
        curl_multi_remove_handle(multi, transfer->easy);
        transfer->completion(std::move(transfer->result));
    };
    for (;;) {
        std::deque<std::pair<HttpRequest, Completion>> incoming;
        bool cancel = false;
        bool stop = false;
        {
            std::lock_guard lock(mutex_);
            incoming.swap(incoming_);
            cancel = cancelRequested_;
            cancelRequested_ = false;
            stop = stopping_;
        }
        if (cancel || stop) {
            for (auto& [easy, transfer] : running) {
                transfer->result = HttpResult{std::nullopt, {}, cancelledError()};
                finish(std::move(transfer));
            }
            running.clear();
            for (auto& [request, completion] : incoming)
                completion(HttpResult{std::nullopt, {}, cancelledError()});
            incoming.clear();
            if (stop)
                return;
        }
        for (auto& [request, completion] : incoming) {
            auto transfer = std::make_unique<Transfer>();
            transfer->request = std::move(request);
            transfer->completion = std::move(completion);
            transfer->maxBytes = limits_.maxResponseBytes;
            CURL* easy = curl_easy_init();
            transfer->easy = easy;
            const HttpRequest& r = transfer->request;
            curl_easy_setopt(easy, CURLOPT_URL, r.url.c_str());
            curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
            curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
            curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                             static_cast<long>(limits_.connect.count()));
            curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.transfer.count()));
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, r.method.c_str());
            if (!r.body.empty() || r.method == "POST" || r.method == "PUT") {
                curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                                 static_cast<curl_off_t>(r.body.size()));
                curl_easy_setopt(easy, CURLOPT_POSTFIELDS, r.body.data());
            }
            for (const auto& [name, value] : r.headers)
                transfer->headerList =
                    curl_slist_append(transfer->headerList, (name + ": " + value).c_str());
            // No "Expect: 100-continue" round trip, and no headers of curl's own choosing.
            transfer->headerList = curl_slist_append(transfer->headerList, "Expect:");
            transfer->headerList = curl_slist_append(transfer->headerList, "Accept:");
            curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headerList);
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get());
            curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
            curl_easy_setopt(easy, CURLOPT_HEADERDATA, transfer.get());
            curl_multi_add_handle(multi, easy);
            running.emplace(easy, std::move(transfer));
        }

        int stillRunning = 0;
        curl_multi_perform(multi, &stillRunning);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            const auto found = running.find(message->easy_handle);
            if (found == running.end())
                continue;
            std::unique_ptr<Transfer> transfer = std::move(found->second);
            running.erase(found);
            const CURLcode code = message->data.result;
            if (code == CURLE_OK) {
                long status = 0;
                curl_easy_getinfo(transfer->easy, CURLINFO_RESPONSE_CODE, &status);
                if (!transfer->result.response)
                    transfer->result.response = HttpResponse{};
                transfer->result.response->statusCode = status;
            } else {
                transfer->result.response.reset();
                transfer->result.body.clear();
                transfer->result.error = errorFor(transfer->tooLarge ? CURLE_FILESIZE_EXCEEDED : code);
            }
            finish(std::move(transfer));
        }
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
}

} // namespace sonvale
