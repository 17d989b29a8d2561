#pragma once

#include "telemetry/TQTMSerializableObject.h"

// The metadata part of a common-schema log: a dictionary of field metadata. Always valid.
class TQTMMetadataExtension final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMMetadataExtension";

    const std::optional<TQTMJson>& metadata() const { return metadata_; }
    void setMetadata(std::optional<TQTMJson> value) { metadata_ = std::move(value); }

    // Null without a dictionary.
    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    // The dictionary is the object's one unkeyed value.
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<TQTMJson> metadata_;
};
