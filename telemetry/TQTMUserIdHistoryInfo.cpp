#include "telemetry/TQTMUserIdHistoryInfo.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

void TQTMUserIdHistoryInfo::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMHistoryInfo::encodeWithCoder(coder);
    coder.encodeString("userIdKey", userId_);
}

void TQTMUserIdHistoryInfo::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMHistoryInfo::initWithCoder(coder);
    userId_ = coder.decodeString("userIdKey");
}
