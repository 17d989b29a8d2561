#include "telemetry/TQTMLongTypedProperty.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMLongTypedProperty::TQTMLongTypedProperty()
{
    setType("long");
}

TQTMJson TQTMLongTypedProperty::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMTypedProperty::serializeToDictionary();
    dictionary["value"] = value_;
    return dictionary;
}

bool TQTMLongTypedProperty::isEqual(const TQTMSerializableObject& other) const
{
    const auto* property = dynamic_cast<const TQTMLongTypedProperty*>(&other);
    return property && TQTMTypedProperty::isEqual(other) && value_ == property->value_;
}

void TQTMLongTypedProperty::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMTypedProperty::encodeWithCoder(coder);
    coder.encodeInt64("value", value_);
}

void TQTMLongTypedProperty::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMTypedProperty::initWithCoder(coder);
    value_ = coder.decodeInt64("value");
}
