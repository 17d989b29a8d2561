#include "telemetry/TQTMBooleanTypedProperty.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMBooleanTypedProperty::TQTMBooleanTypedProperty()
{
    setType("boolean");
}

TQTMJson TQTMBooleanTypedProperty::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMTypedProperty::serializeToDictionary();
    dictionary["value"] = value_;
    return dictionary;
}

bool TQTMBooleanTypedProperty::isEqual(const TQTMSerializableObject& other) const
{
    const auto* property = dynamic_cast<const TQTMBooleanTypedProperty*>(&other);
    return property && TQTMTypedProperty::isEqual(other) && value_ == property->value_;
}

void TQTMBooleanTypedProperty::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMTypedProperty::encodeWithCoder(coder);
    coder.encodeBool("value", value_);
}

void TQTMBooleanTypedProperty::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMTypedProperty::initWithCoder(coder);
    value_ = coder.decodeBool("value");
}
