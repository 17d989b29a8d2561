#include "telemetry/TQTMLocExtension.h"

TQTMJson TQTMLocExtension::serializeToDictionary() const
{
    return TQTMSerializeStringFields(stringFields(*this));
}

bool TQTMLocExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMLocExtension*>(&other);
    return part && TQTMStringFieldsEqual(stringFields(*this), stringFields(*part));
}

void TQTMLocExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeStringFields(coder, stringFields(*this));
}

void TQTMLocExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeStringFields(coder, stringFields(*this));
}
