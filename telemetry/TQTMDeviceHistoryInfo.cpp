#include "telemetry/TQTMDeviceHistoryInfo.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMDevice.h"

TQTMDeviceHistoryInfo::TQTMDeviceHistoryInfo(std::optional<sonvale::TimePoint> timestamp,
                                             std::shared_ptr<TQTMDevice> device)
    : TQTMHistoryInfo(timestamp), device_(std::move(device))
{}

void TQTMDeviceHistoryInfo::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMHistoryInfo::encodeWithCoder(coder);
    coder.encodeObject("deviceKey", device_.get());
}

void TQTMDeviceHistoryInfo::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMHistoryInfo::initWithCoder(coder);
    device_ = coder.decodeObjectOfClass<TQTMDevice>("deviceKey");
}
