#pragma once

#include "telemetry/TQTMHistoryInfo.h"

#include <memory>

class TQTMDevice;

// The device record that was current from the entry's timestamp on.
class TQTMDeviceHistoryInfo final : public TQTMHistoryInfo {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMDeviceHistoryInfo";

    TQTMDeviceHistoryInfo() = default;
    TQTMDeviceHistoryInfo(std::optional<sonvale::TimePoint> timestamp,
                          std::shared_ptr<TQTMDevice> device);

    const std::shared_ptr<TQTMDevice>& device() const { return device_; }
    void setDevice(std::shared_ptr<TQTMDevice> device) { device_ = std::move(device); }

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::shared_ptr<TQTMDevice> device_;
};
