#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class TQTMAbstractLog;
class TQTMChannelDelegate;
class TQTMChannelUnitConfiguration;
class TQTMIngestionProtocol;
class TQTMStorage;

// Something that can be switched on and off, optionally dropping its data when switched off.
class TQTMEnable {
public:
    virtual ~TQTMEnable() = default;
    virtual void setEnabledAndDeleteDataOnDisabled(bool enabled, bool deleteData) = 0;
};

// A channel: a unit or the group of units. Delegates are held weakly. A channel is paused while
// any identifying object (compared by address) holds it paused.
class TQTMChannelProtocol : public TQTMEnable {
public:
    virtual void addDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate) = 0;
    virtual void removeDelegate(const std::shared_ptr<TQTMChannelDelegate>& delegate) = 0;
    virtual void pauseWithIdentifyingObject(const void* object) = 0;
    virtual void resumeWithIdentifyingObject(const void* object) = 0;
};

// One log group's way from the services to the ingestion.
class TQTMChannelUnitProtocol : public TQTMChannelProtocol {
public:
    // The low 8 bits of the flags are the log's storage priority.
    virtual void enqueueItemFlags(const std::shared_ptr<TQTMAbstractLog>& item, uint32_t flags) = 0;
    virtual void pauseSendingLogsWithToken(const std::string& token) = 0;
    virtual void resumeSendingLogsWithToken(const std::string& token) = 0;
    // On the group's queue only.
    virtual void checkPendingLogs() = 0;
    virtual const TQTMChannelUnitConfiguration& configuration() const = 0;
};

// The hub that makes the units and fans enable, pause and resume out to them.
class TQTMChannelGroupProtocol : public TQTMChannelProtocol {
public:
    virtual std::shared_ptr<TQTMChannelUnitProtocol>
    addChannelUnitWithConfiguration(const TQTMChannelUnitConfiguration& configuration) = 0;
    // A null ingestion means the group's own.
    virtual std::shared_ptr<TQTMChannelUnitProtocol>
    addChannelUnitWithConfigurationWithIngestion(
        const TQTMChannelUnitConfiguration& configuration,
        std::shared_ptr<TQTMIngestionProtocol> ingestion) = 0;
    virtual void setMaxStorageSizeCompletionHandler(int64_t sizeInBytes,
                                                    std::function<void(bool)> completion) = 0;
    virtual std::shared_ptr<TQTMChannelUnitProtocol>
    channelUnitForGroupId(const std::string& groupId) const = 0;
    virtual std::optional<std::string> logUrl() const = 0;
    virtual void setLogUrl(const std::string& logUrl) = 0;
    virtual std::optional<std::string> appSecret() const = 0;
    virtual void setAppSecret(std::optional<std::string> appSecret) = 0;
    // The log store the units save into; to be used on the group's queue only.
    virtual const std::shared_ptr<TQTMStorage>& storage() const = 0;
};
