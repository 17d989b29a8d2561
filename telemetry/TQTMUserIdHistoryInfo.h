#pragma once

#include "telemetry/TQTMHistoryInfo.h"

#include <string>

// The user identifier that was current from the entry's timestamp on.
class TQTMUserIdHistoryInfo final : public TQTMHistoryInfo {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMUserIdHistoryInfo";

    TQTMUserIdHistoryInfo() = default;
    TQTMUserIdHistoryInfo(std::optional<sonvale::TimePoint> timestamp,
                          std::optional<std::string> userId)
        : TQTMHistoryInfo(timestamp), userId_(std::move(userId))
    {}

    const std::optional<std::string>& userId() const { return userId_; }
    void setUserId(std::optional<std::string> value) { userId_ = std::move(value); }

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> userId_;
};
