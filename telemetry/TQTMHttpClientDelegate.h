#pragma once

#include <map>
#include <string>

// Told by the HTTP client before each request is sent (the ingestions log their requests here).
class TQTMHttpClientDelegate {
public:
    virtual ~TQTMHttpClientDelegate() = default;
    virtual void willSendHTTPRequestToURLWithHeaders(const std::string& url,
                                                     const std::map<std::string, std::string>& headers) = 0;
};
