#pragma once

#include "platform/system/Clock.h"
#include "telemetry/TQTMModelField.h"

#include <cstdint>
#include <mutex>
#include <set>
#include <vector>

class TQTMCommonSchemaLog;
class TQTMDevice;

// The base of every log the client sends: its kind, time, session, user and device, the JSON
// envelope of those, the completeness check and equality, and the conversion to common-schema logs
// for each transmission target. A log is filled on one thread and then handed on; only the target
// tokens may be touched from several threads (they have their own lock).
class TQTMAbstractLog : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMAbstractLog";

    TQTMAbstractLog() = default;
    TQTMAbstractLog(const TQTMAbstractLog&) = delete;
    TQTMAbstractLog& operator=(const TQTMAbstractLog&) = delete;

    const std::optional<std::string>& type() const { return type_; }
    void setType(std::optional<std::string> value) { type_ = std::move(value); }
    const std::optional<sonvale::TimePoint>& timestamp() const { return timestamp_; }
    void setTimestamp(std::optional<sonvale::TimePoint> value) { timestamp_ = std::move(value); }
    const std::optional<std::string>& sid() const { return sid_; }
    void setSid(std::optional<std::string> value) { sid_ = std::move(value); }
    const std::optional<std::string>& distributionGroupId() const { return distributionGroupId_; }
    void setDistributionGroupId(std::optional<std::string> value)
    {
        distributionGroupId_ = std::move(value);
    }
    const std::optional<std::string>& userId() const { return userId_; }
    void setUserId(std::optional<std::string> value) { userId_ = std::move(value); }
    const std::optional<std::string>& dataResidencyRegion() const { return dataResidencyRegion_; }
    void setDataResidencyRegion(std::optional<std::string> value)
    {
        dataResidencyRegion_ = std::move(value);
    }
    const std::shared_ptr<TQTMDevice>& device() const { return device_; }
    void setDevice(std::shared_ptr<TQTMDevice> device) { device_ = std::move(device); }
    // An object a producer attaches in memory; compared by identity, never written out.
    const std::shared_ptr<const void>& tag() const { return tag_; }
    void setTag(std::shared_ptr<const void> tag) { tag_ = std::move(tag); }

    std::optional<std::set<std::string>> transmissionTargetTokens() const;
    void setTransmissionTargetTokens(std::optional<std::set<std::string>> tokens);
    void addTransmissionTargetToken(const std::string& token);

    TQTMJson serializeToDictionary() const override;
    // The log's JSON text; invalid UTF-8 in a field comes out as replacement characters.
    std::optional<std::string> serializeLogWithPrettyPrinting(bool prettyPrint) const;
    // Needs type, timestamp and a valid device.
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    // One common-schema log per target token; nothing without tokens.
    std::optional<std::vector<std::shared_ptr<TQTMCommonSchemaLog>>>
    toCommonSchemaLogsWithFlags(int64_t flags) const;
    std::shared_ptr<TQTMCommonSchemaLog>
    toCommonSchemaLogForTargetTokenFlags(const std::string& token, int64_t flags) const;
    static std::optional<std::string>
    combineOsVersionWithBuild(const std::optional<std::string>& version,
                              const std::optional<std::string>& build);
    static std::optional<std::string>
    combineSDKLibVerWithVersion(const std::optional<std::string>& name,
                                const std::optional<std::string>& version);
    static std::string convertTimeZoneOffsetToISO8601(int64_t minutes);

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> type_;
    std::optional<sonvale::TimePoint> timestamp_;
    std::optional<std::string> sid_;
    std::optional<std::string> distributionGroupId_;
    std::optional<std::string> userId_;
    std::optional<std::string> dataResidencyRegion_;
    std::shared_ptr<TQTMDevice> device_;
    std::shared_ptr<const void> tag_;
    mutable std::recursive_mutex tokensMutex_;
    std::optional<std::set<std::string>> transmissionTargetTokens_;

    // The tag and the target tokens are not written.
    static constexpr auto kFields = std::tuple{
        TQTMModelField{"type", &TQTMAbstractLog::type_},
        TQTMModelField{"timestamp", &TQTMAbstractLog::timestamp_},
        TQTMModelField{"sid", &TQTMAbstractLog::sid_},
        TQTMModelField{"distributionGroupId", &TQTMAbstractLog::distributionGroupId_},
        TQTMModelField{"userId", &TQTMAbstractLog::userId_},
        TQTMModelField{"device", &TQTMAbstractLog::device_},
        TQTMModelField{"dataResidencyRegion", &TQTMAbstractLog::dataResidencyRegion_},
    };
};
