#include "telemetry/TQTMNetExtension.h"

TQTMJson TQTMNetExtension::serializeToDictionary() const
{
    return TQTMSerializeStringFields(stringFields(*this));
}

bool TQTMNetExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMNetExtension*>(&other);
    return part && TQTMStringFieldsEqual(stringFields(*this), stringFields(*part));
}

void TQTMNetExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeStringFields(coder, stringFields(*this));
}

void TQTMNetExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeStringFields(coder, stringFields(*this));
}
