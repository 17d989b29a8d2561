#include "telemetry/TQTMLogWithProperties.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMJson TQTMLogWithProperties::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMAbstractLog::serializeToDictionary();
    if (properties_ && !properties_->empty())
        dictionary["properties"] = *properties_;
    return dictionary;
}

bool TQTMLogWithProperties::isEqual(const TQTMSerializableObject& other) const
{
    const auto* log = dynamic_cast<const TQTMLogWithProperties*>(&other);
    return log && TQTMAbstractLog::isEqual(other) && properties_ == log->properties_;
}

void TQTMLogWithProperties::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMAbstractLog::encodeWithCoder(coder);
    coder.encodeStringMap("properties", properties_);
}

void TQTMLogWithProperties::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMAbstractLog::initWithCoder(coder);
    properties_ = coder.decodeStringMap("properties");
}
