#include "telemetry/TQTMSessionHistoryInfo.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

void TQTMSessionHistoryInfo::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMHistoryInfo::encodeWithCoder(coder);
    coder.encodeString("sessionIdKey", sessionId_);
}

void TQTMSessionHistoryInfo::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMHistoryInfo::initWithCoder(coder);
    sessionId_ = coder.decodeString("sessionIdKey");
}
