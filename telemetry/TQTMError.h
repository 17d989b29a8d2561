#pragma once

#include <string>

namespace sonvale {
struct HttpError;
}

// An error as the client's completion handlers receive it: a domain, a code and a description.
// The client's own domain holds the codes below; transport failures keep their own domain.
struct TQTMError {
    static constexpr const char* kDomain = "com.telquor.telemetry.ErrorDomain";
    static constexpr int kInvalidLogContainer = 1;
    static constexpr int kCanceled = 2;
    static constexpr int kServiceDisabled = 3;
    static constexpr int kConnectionPaused = 100;

    std::string domain;
    int code = 0;
    std::string description;

    // An error of the client's own domain with its fixed description.
    static TQTMError ofCode(int code);
    static TQTMError fromHttpError(const sonvale::HttpError& error);
};
