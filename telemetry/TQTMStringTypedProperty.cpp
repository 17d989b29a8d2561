#include "telemetry/TQTMStringTypedProperty.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMStringTypedProperty::TQTMStringTypedProperty()
{
    setType("string");
}

TQTMJson TQTMStringTypedProperty::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMTypedProperty::serializeToDictionary();
    if (value_)
        dictionary["value"] = *value_;
    return dictionary;
}

bool TQTMStringTypedProperty::isEqual(const TQTMSerializableObject& other) const
{
    const auto* property = dynamic_cast<const TQTMStringTypedProperty*>(&other);
    return property && TQTMTypedProperty::isEqual(other) && value_ == property->value_;
}

void TQTMStringTypedProperty::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMTypedProperty::encodeWithCoder(coder);
    coder.encodeString("value", value_);
}

void TQTMStringTypedProperty::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMTypedProperty::initWithCoder(coder);
    value_ = coder.decodeString("value");
}
