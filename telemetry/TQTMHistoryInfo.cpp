#include "telemetry/TQTMHistoryInfo.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

void TQTMHistoryInfo::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    coder.encodeDate("timestampKey", timestamp_);
}

void TQTMHistoryInfo::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    timestamp_ = coder.decodeDate("timestampKey");
}
