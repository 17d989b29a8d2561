#include "telemetry/TQTMProtocolExtension.h"

TQTMJson TQTMProtocolExtension::serializeToDictionary() const
{
    // Null when no field is set.
    TQTMJson dictionary;
    TQTMPutFields(dictionary, *this, kFields);
    return dictionary;
}

bool TQTMProtocolExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMProtocolExtension*>(&other);
    return part && TQTMFieldsEqual(*this, *part, kFields);
}

void TQTMProtocolExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeFields(coder, *this, kFields);
}

void TQTMProtocolExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMDecodeFields(coder, *this, kFields);
}
