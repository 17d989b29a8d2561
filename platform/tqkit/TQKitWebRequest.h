#pragma once

// Small blocking web requests for the application's worker threads: the usage-event sender posts
// its batches with TQKitWebRequest and the update check fetches release notes with TQKitHttpFetch.
// Both wait on the calling thread (never call them on the main thread), poll `shouldStop` while
// they wait and give up at once when it answers true. Qt-free; any thread.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using TQKitShouldStop = bool (*)(void* context);

// The answer of a web request: its body split into lines at `lineSeparator` and each line into a
// key and a value at the first `fieldSeparator` (lines without one are left out).
struct TQKitWebResponseRecord {
    char fieldSeparator = ':';
    char lineSeparator = '\n';
    long statusCode = 0;
    std::vector<std::pair<std::string, std::string>> fields;
};

// Posts `lines` (joined by line feeds, as text/plain) to the usage-statistics service
// (TQKitUsageStatsURL). True when the service answered with a 2xx status. `shouldStop` may be null.
// `flags` is reserved (0).
bool TQKitWebRequest(const std::vector<std::string>& lines, TQKitShouldStop shouldStop, void* context,
                     int timeoutMs, TQKitWebResponseRecord* response, int flags);
// The same to another address (tests, other services).
bool TQKitWebRequestTo(const std::string& url, const std::vector<std::string>& lines, TQKitShouldStop shouldStop,
                       void* context, int timeoutMs, TQKitWebResponseRecord* response);

struct TQKitHttpRequestRecord {
    std::string url;
    int timeoutMs = 30000;
    TQKitShouldStop shouldStop = nullptr;
    void* context = nullptr;
    // Filled by TQKitHttpFetch.
    long statusCode = 0;
    std::vector<uint8_t> body;
};

// GETs `record->url`; true when the server answered with a 2xx status, the body then in the record.
bool TQKitHttpFetch(TQKitHttpRequestRecord* record);
