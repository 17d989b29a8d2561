#include "telemetry/TQTMCSData.h"

#include "telemetry/TQTMOrderedDictionary.h"

TQTMJson TQTMCSData::serializeToDictionary() const
{
    if (!properties_ || !properties_->is_object())
        return TQTMJson();
    TQTMOrderedDictionary dictionary;
    for (const char* leading : {"baseType", "baseData"})
        if (properties_->contains(leading))
            dictionary.setObjectForKey((*properties_)[leading], leading);
    for (auto it = properties_->begin(); it != properties_->end(); ++it)
        dictionary.setObjectForKey(*it, it.key());
    return dictionary.json();
}

bool TQTMCSData::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMCSData*>(&other);
    return part && properties_ == part->properties_;
}

void TQTMCSData::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeJsonText(coder, properties_);
}

void TQTMCSData::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    properties_ = TQTMDecodeJsonText(coder);
}
