#include "platform/engine/UrlDownloader.h"

#include <cstdio>
#include <curl/curl.h>
#include <memory>

namespace sonvale::engine {
namespace {

struct Transfer {
    const std::atomic<bool>* stop;
    const UrlDownloader::Events* events;
    std::FILE* file;
};

size_t writeBody(char* data, size_t size, size_t count, void* opaque)
{
    auto* transfer = static_cast<Transfer*>(opaque);
    return std::fwrite(data, size, count, transfer->file) * size;
}

int onProgress(void* opaque, curl_off_t, curl_off_t received, curl_off_t, curl_off_t)
{
    auto* transfer = static_cast<Transfer*>(opaque);
    if (transfer->stop->load())
        return 1; // aborts the transfer
    if (transfer->events->received && received > 0)
        transfer->events->received(double(received));
    return 0;
}

std::string hostOf(const std::string& url)
{
    const auto start = url.find("://");
    if (start == std::string::npos)
        return url;
    return url.substr(start + 3, url.find_first_of("/?#:", start + 3) - (start + 3));
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

} // namespace

Status UrlDownloader::download(const std::string& url, const std::string& path, const std::atomic<bool>& stop,
                               const Events& events)
{
    static const bool initialized = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    std::unique_ptr<CURL, CurlDeleter> curl(initialized ? curl_easy_init() : nullptr);
    if (!curl)
        return Status::failure("cannot start a download");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return Status::failure("cannot create the download file");
    Transfer transfer{&stop, &events, file};
    if (events.connecting)
        events.connecting(hostOf(url));
    CURL* c = curl.get();
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    const CURLcode rc = curl_easy_perform(c);
    const bool closed = std::fclose(file) == 0;
    if (rc == CURLE_ABORTED_BY_CALLBACK || stop.load())
        return Status::failure("stopped");
    if (rc != CURLE_OK)
        return Status::failure("download failed (" + std::string(error[0] ? error : curl_easy_strerror(rc)) + ")");
    if (!closed)
        return Status::failure("cannot write the download file");
    return Status::success();
}

} // namespace sonvale::engine
