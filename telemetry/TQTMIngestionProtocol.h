#pragma once

#include "platform/system/HttpTransport.h"
#include "telemetry/TQTMError.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TQTMLogContainer;

// The call id (the batch id for a batch), the response, its body and an error.
using TQTMSendAsyncCompletionHandler = std::function<void(
    const std::string& callId, std::optional<sonvale::HttpResponse> response,
    std::optional<std::vector<uint8_t>> data, std::optional<TQTMError> error)>;

// What the channel units see of an ingestion.
class TQTMIngestionProtocol {
public:
    virtual ~TQTMIngestionProtocol() = default;

    virtual void setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData) = 0;
    virtual void sendAsyncCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                            TQTMSendAsyncCompletionHandler handler) = 0;
    virtual void sendAsyncETagCompletionHandler(const std::shared_ptr<TQTMLogContainer>& data,
                                                const std::optional<std::string>& eTag,
                                                TQTMSendAsyncCompletionHandler handler) = 0;
    virtual bool isReadyToSend() const = 0;
    virtual bool isEnabled() const = 0;
};
