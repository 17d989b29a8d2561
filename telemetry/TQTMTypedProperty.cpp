#include "telemetry/TQTMTypedProperty.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMJson TQTMTypedProperty::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMJson::object();
    if (type_)
        dictionary["type"] = *type_;
    if (name_)
        dictionary["name"] = *name_;
    return dictionary;
}

bool TQTMTypedProperty::isEqual(const TQTMSerializableObject& other) const
{
    const auto* property = dynamic_cast<const TQTMTypedProperty*>(&other);
    return property && type_ == property->type_;
}

void TQTMTypedProperty::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    coder.encodeString("type", type_);
    coder.encodeString("name", name_);
}

void TQTMTypedProperty::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    type_ = coder.decodeString("type");
    name_ = coder.decodeString("name");
}
