#include "telemetry/TQTMMetadataExtension.h"

TQTMJson TQTMMetadataExtension::serializeToDictionary() const
{
    if (!metadata_ || !metadata_->is_object())
        return TQTMJson();
    return *metadata_;
}

bool TQTMMetadataExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMMetadataExtension*>(&other);
    return part && metadata_ == part->metadata_;
}

void TQTMMetadataExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMEncodeJsonText(coder, metadata_);
}

void TQTMMetadataExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    metadata_ = TQTMDecodeJsonText(coder);
}
