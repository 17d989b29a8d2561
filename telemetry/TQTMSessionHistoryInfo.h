#pragma once

#include "telemetry/TQTMHistoryInfo.h"

#include <string>

// The session identifier that was current from the entry's timestamp on.
class TQTMSessionHistoryInfo final : public TQTMHistoryInfo {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMSessionHistoryInfo";

    TQTMSessionHistoryInfo() = default;
    TQTMSessionHistoryInfo(std::optional<sonvale::TimePoint> timestamp,
                           std::optional<std::string> sessionId)
        : TQTMHistoryInfo(timestamp), sessionId_(std::move(sessionId))
    {}

    const std::optional<std::string>& sessionId() const { return sessionId_; }
    void setSessionId(std::optional<std::string> value) { sessionId_ = std::move(value); }

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> sessionId_;
};
