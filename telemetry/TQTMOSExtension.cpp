#include "telemetry/TQTMOSExtension.h"

TQTMJson TQTMOSExtension::serializeToDictionary() const
{
    return TQTMSerializeStringFields(stringFields(*this));
}

bool TQTMOSExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMOSExtension*>(&other);
    return part && TQTMStringFieldsEqual(stringFields(*this), stringFields(*part));
}

void TQTMOSExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeStringFields(coder, stringFields(*this));
}

void TQTMOSExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeStringFields(coder, stringFields(*this));
}
