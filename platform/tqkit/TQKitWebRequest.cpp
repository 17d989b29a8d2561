#include "platform/tqkit/TQKitWebRequest.h"

#include "platform/system/HttpTransportCurl.h"
#include "platform/tqkit/TQKitServiceEndpoints.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace {

constexpr auto kStopPollInterval = std::chrono::milliseconds(100);

// Sends one request on a transport of its own and waits for the answer, cancelling it when
// `shouldStop` turns true or the time-out passes.
std::optional<sonvale::HttpResult> sendAndWait(sonvale::HttpRequest request, int timeoutMs,
                                               TQKitShouldStop shouldStop, void* context)
{
    const auto timeout = std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 30000);
    sonvale::HttpTransportCurl::Limits limits;
    limits.connect = std::min<std::chrono::milliseconds>(limits.connect, timeout);
    limits.transfer = timeout;
    sonvale::HttpTransportCurl transport(limits);

    std::mutex mutex;
    std::condition_variable done;
    std::optional<sonvale::HttpResult> result;
    transport.start(std::move(request), [&](sonvale::HttpResult answer) {
        std::lock_guard lock(mutex);
        result = std::move(answer);
        done.notify_all();
    });

    std::unique_lock lock(mutex);
    while (!result) {
        if (shouldStop && shouldStop(context)) {
            lock.unlock();
            transport.cancelAll(); // the completion still runs, before the transport is destroyed
            return std::nullopt;
        }
        done.wait_for(lock, kStopPollInterval);
    }
    return result;
}

bool isSuccess(long status) { return status >= 200 && status < 300; }

void parseFields(const std::vector<uint8_t>& body, TQKitWebResponseRecord& response)
{
    const std::string text(body.begin(), body.end());
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(response.lineSeparator, start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t separator = line.find(response.fieldSeparator);
        if (separator != std::string::npos)
            response.fields.emplace_back(line.substr(0, separator), line.substr(separator + 1));
        start = end + 1;
    }
}

} // namespace

bool TQKitWebRequest(const std::vector<std::string>& lines, TQKitShouldStop shouldStop, void* context,
                     int timeoutMs, TQKitWebResponseRecord* response, int)
{
    return TQKitWebRequestTo(TQKitUsageStatsURL(), lines, shouldStop, context, timeoutMs, response);
}

bool TQKitWebRequestTo(const std::string& url, const std::vector<std::string>& lines, TQKitShouldStop shouldStop,
                       void* context, int timeoutMs, TQKitWebResponseRecord* response)
{
    if (url.empty())
        return false;
    sonvale::HttpRequest request;
    request.url = url;
    request.method = "POST";
    request.headers = {{"Content-Type", "text/plain; charset=utf-8"}};
    for (const std::string& line : lines) {
        request.body.insert(request.body.end(), line.begin(), line.end());
        request.body.push_back('\n');
    }
    const std::optional<sonvale::HttpResult> result = sendAndWait(std::move(request), timeoutMs, shouldStop, context);
    if (!result || !result->response)
        return false;
    if (response) {
        response->statusCode = result->response->statusCode;
        parseFields(result->body, *response);
    }
    return isSuccess(result->response->statusCode);
}

bool TQKitHttpFetch(TQKitHttpRequestRecord* record)
{
    if (!record || record->url.empty())
        return false;
    sonvale::HttpRequest request;
    request.url = record->url;
    std::optional<sonvale::HttpResult> result =
        sendAndWait(std::move(request), record->timeoutMs, record->shouldStop, record->context);
    if (!result || !result->response)
        return false;
    record->statusCode = result->response->statusCode;
    if (!isSuccess(record->statusCode))
        return false;
    record->body = std::move(result->body);
    return true;
}
