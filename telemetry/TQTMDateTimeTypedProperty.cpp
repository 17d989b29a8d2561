#include "telemetry/TQTMDateTimeTypedProperty.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMUtility.h"

TQTMDateTimeTypedProperty::TQTMDateTimeTypedProperty()
{
    setType("dateTime");
}

TQTMJson TQTMDateTimeTypedProperty::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMTypedProperty::serializeToDictionary();
    if (value_)
        dictionary["value"] = TQTMUtility::dateToISO8601(*value_);
    return dictionary;
}

bool TQTMDateTimeTypedProperty::isEqual(const TQTMSerializableObject& other) const
{
    const auto* property = dynamic_cast<const TQTMDateTimeTypedProperty*>(&other);
    return property && TQTMTypedProperty::isEqual(other) && value_ == property->value_;
}

void TQTMDateTimeTypedProperty::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMTypedProperty::encodeWithCoder(coder);
    coder.encodeDate("value", value_);
}

void TQTMDateTimeTypedProperty::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMTypedProperty::initWithCoder(coder);
    value_ = coder.decodeDate("value");
}
