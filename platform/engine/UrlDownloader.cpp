#include "platform/engine/UrlDownloader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <unistd.h>

#include "platform/engine/SourceScanner.h"

namespace sonvale::engine {
namespace {

struct Transfer {
    const std::atomic<bool>* stop;
    const UrlDownloader::Events* events;
    std::FILE* file;
    uint64_t maxBytes;
    CURL* curl;
    UrlDownloader::WebPages pages;
    uint64_t written = 0;
    bool tooLarge = false;
    bool webPage = false;
};

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
           && std::equal(prefix.begin(), prefix.end(), text.begin(),
                         [](char a, char b) { return std::tolower((unsigned char)a) == std::tolower((unsigned char)b); });
}

// Told by the answer's type; an answer without one by its first bytes.
bool looksLikeWebPage(CURL* curl, std::string_view firstBytes)
{
    const char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    if (type && *type)
        return startsWithNoCase(type, "text/html") || startsWithNoCase(type, "application/xhtml+xml");
    const size_t start = firstBytes.find_first_not_of(" \t\r\n");
    const std::string_view text = start == std::string_view::npos ? std::string_view() : firstBytes.substr(start);
    return startsWithNoCase(text, "<!doctype html") || startsWithNoCase(text, "<html");
}

size_t writeBody(char* data, size_t size, size_t count, void* opaque)
{
    auto* transfer = static_cast<Transfer*>(opaque);
    const size_t bytes = size * count;
    if (transfer->written == 0 && !transfer->webPage && looksLikeWebPage(transfer->curl, {data, bytes})) {
        transfer->webPage = true;
        if (transfer->pages == UrlDownloader::WebPages::Refuse)
            return 0; // aborts the transfer before anything is kept
    }
    if (transfer->written + bytes > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0; // aborts the transfer
    }
    transfer->written += bytes;
    return std::fwrite(data, 1, bytes, transfer->file);
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

// "4 GB", "1.5 MB": the size bound as a user reads it.
std::string sizeText(uint64_t bytes)
{
    const char* units[] = {"bytes", "KB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = 0;
    while (value >= 1024 && unit < 4) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, value == double(uint64_t(value)) ? "%.0f %s" : "%.1f %s", value, units[unit]);
    return text;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

Status failureOf(CURLcode rc, const Transfer& transfer, const DownloadLimits& limits, const char* error)
{
    if (rc == CURLE_ABORTED_BY_CALLBACK || transfer.stop->load())
        return Status::failure("stopped");
    if (transfer.webPage && transfer.pages == UrlDownloader::WebPages::Refuse)
        return Status::failure("the address is a web page, and taking audio from web pages is turned off");
    if (transfer.tooLarge || rc == CURLE_FILESIZE_EXCEEDED)
        return Status::failure("the download is larger than " + sizeText(limits.maxBytes)
                               + ", the most Sonvale downloads for one source");
    if (rc == CURLE_OPERATION_TIMEDOUT)
        return Status::failure("the download stalled (less than " + sizeText(uint64_t(limits.stallBytesPerSecond))
                               + " a second for " + std::to_string(limits.stallSeconds) + " seconds)");
    if (rc == CURLE_UNSUPPORTED_PROTOCOL)
        return Status::failure("download failed (only http and https addresses are followed)");
    return Status::failure("download failed (" + std::string(error[0] ? error : curl_easy_strerror(rc)) + ")");
}

} // namespace

Status UrlDownloader::download(const std::string& url, const std::string& path, const std::atomic<bool>& stop,
                               const Events& events, const DownloadLimits& limits, WebPages pages, bool* isWebPage)
{
    static const bool initialized = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!SourceScanner::isRemote(url))
        return Status::failure("download failed (only http and https addresses are followed)");
    std::unique_ptr<CURL, CurlDeleter> curl(initialized ? curl_easy_init() : nullptr);
    if (!curl)
        return Status::failure("cannot start a download");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    std::unique_ptr<std::FILE, FileCloser> file(fd >= 0 ? ::fdopen(fd, "wb") : nullptr);
    if (!file) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return Status::failure(std::string("cannot create the download file (") + std::strerror(error) + ")");
    }
    Transfer transfer{&stop, &events, file.get(), limits.maxBytes, curl.get(), pages};
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
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, limits.stallBytesPerSecond);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxBytes));
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    const CURLcode rc = curl_easy_perform(c);
    const bool closed = std::fclose(file.release()) == 0;
    Status result = rc != CURLE_OK || stop.load() ? failureOf(rc, transfer, limits, error)
                    : !closed                     ? Status::failure("cannot write the download file")
                                                  : Status::success();
    if (!result)
        ::unlink(path.c_str());
    if (isWebPage)
        *isWebPage = transfer.webPage;
    return result;
}

} // namespace sonvale::engine
