#pragma once

#include "platform/system/Clock.h"
#include "platform/system/KeyedArchivable.h"

#include <optional>

// One timestamped entry of a persisted history (sessions, user ids, devices).
class TQTMHistoryInfo : public sonvale::KeyedArchivable {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMHistoryInfo";

    TQTMHistoryInfo() = default;
    explicit TQTMHistoryInfo(std::optional<sonvale::TimePoint> timestamp) : timestamp_(timestamp) {}

    const std::optional<sonvale::TimePoint>& timestamp() const { return timestamp_; }
    void setTimestamp(std::optional<sonvale::TimePoint> timestamp) { timestamp_ = timestamp; }

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<sonvale::TimePoint> timestamp_;
};
