#include "telemetry/TQTMMetadataExtension.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

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
    // Kept as JSON text, which preserves the members' order.
    if (metadata_)
        coder.encodeString(sonvale::KeyedArchiver::kRootKey,
                           metadata_->dump(-1, ' ', false, TQTMJson::error_handler_t::replace));
}

void TQTMMetadataExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    metadata_.reset();
    if (const std::optional<std::string> text =
            coder.decodeString(sonvale::KeyedArchiver::kRootKey)) {
        TQTMJson parsed = TQTMJson::parse(*text, nullptr, false);
        if (!parsed.is_discarded())
            metadata_ = std::move(parsed);
    }
}
