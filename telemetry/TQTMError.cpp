#include "telemetry/TQTMError.h"

#include "platform/system/HttpTransport.h"

TQTMError TQTMError::ofCode(int code)
{
    const char* description = "";
    switch (code) {
    case kInvalidLogContainer:
        description = "Invalid log container.";
        break;
    case kCanceled:
        description = "The operation was canceled.";
        break;
    case kServiceDisabled:
        description = "The service is disabled.";
        break;
    case kConnectionPaused:
        description = "Canceled, connection paused with log deletion.";
        break;
    }
    return {kDomain, code, description};
}

TQTMError TQTMError::fromHttpError(const sonvale::HttpError& error)
{
    return {error.domain, error.code, error.description};
}
