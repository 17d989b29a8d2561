#pragma once

#include "telemetry/TQTMSerializableObject.h"

// One named value of a fixed kind, as typed event properties are written: {"type", "name",
// "value"}. Each subclass sets its kind name and adds the value.
class TQTMTypedProperty : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMTypedProperty";

    const std::optional<std::string>& type() const { return type_; }
    void setType(std::optional<std::string> type) { type_ = std::move(type); }
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> name) { name_ = std::move(name); }

    TQTMJson serializeToDictionary() const override;
    // Compares the kind names only; the name takes no part.
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    // The kind name comes from the archive, not from the class.
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> type_;
    std::optional<std::string> name_;
};
