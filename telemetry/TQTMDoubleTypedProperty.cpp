#include "telemetry/TQTMDoubleTypedProperty.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMDoubleTypedProperty::TQTMDoubleTypedProperty()
{
    setType("double");
}

TQTMJson TQTMDoubleTypedProperty::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMTypedProperty::serializeToDictionary();
    dictionary["value"] = value_;
    return dictionary;
}

bool TQTMDoubleTypedProperty::isEqual(const TQTMSerializableObject& other) const
{
    const auto* property = dynamic_cast<const TQTMDoubleTypedProperty*>(&other);
    return property && TQTMTypedProperty::isEqual(other) && value_ == property->value_;
}

void TQTMDoubleTypedProperty::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMTypedProperty::encodeWithCoder(coder);
    coder.encodeDouble("value", value_);
}

void TQTMDoubleTypedProperty::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMTypedProperty::initWithCoder(coder);
    value_ = coder.decodeDouble("value");
}
