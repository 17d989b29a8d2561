#include "telemetry/TQTMAppExtension.h"

TQTMJson TQTMAppExtension::serializeToDictionary() const
{
    return TQTMSerializeStringFields(stringFields(*this));
}

bool TQTMAppExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMAppExtension*>(&other);
    return part && TQTMStringFieldsEqual(stringFields(*this), stringFields(*part));
}

void TQTMAppExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeStringFields(coder, stringFields(*this));
}

void TQTMAppExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeStringFields(coder, stringFields(*this));
}
