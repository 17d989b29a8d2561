#include "telemetry/TQTMStartServiceLog.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMStartServiceLog::TQTMStartServiceLog()
{
    setType("startService");
}

TQTMJson TQTMStartServiceLog::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMAbstractLog::serializeToDictionary();
    if (services_) {
        dictionary["services"] = *services_;
        dictionary["isOneCollectorEnabled"] = isOneCollectorEnabled_;
    }
    return dictionary;
}

bool TQTMStartServiceLog::isEqual(const TQTMSerializableObject& other) const
{
    const auto* log = dynamic_cast<const TQTMStartServiceLog*>(&other);
    return log && TQTMAbstractLog::isEqual(other) && services_ == log->services_;
}

void TQTMStartServiceLog::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMAbstractLog::encodeWithCoder(coder);
    coder.encodeStringArray("services", services_);
    coder.encodeBool("isOneCollectorEnabled", isOneCollectorEnabled_);
}

void TQTMStartServiceLog::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMAbstractLog::initWithCoder(coder);
    services_ = coder.decodeStringArray("services");
    isOneCollectorEnabled_ = coder.decodeBool("isOneCollectorEnabled");
}
