#include "telemetry/TQTMUserExtension.h"

TQTMJson TQTMUserExtension::serializeToDictionary() const
{
    return TQTMSerializeStringFields(stringFields(*this));
}

bool TQTMUserExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMUserExtension*>(&other);
    return part && TQTMStringFieldsEqual(stringFields(*this), stringFields(*part));
}

void TQTMUserExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeStringFields(coder, stringFields(*this));
}

void TQTMUserExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeStringFields(coder, stringFields(*this));
}
