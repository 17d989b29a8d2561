#pragma once

#include "telemetry/TQTMModelField.h"

#include <cstdint>

// One image loaded in a crashed process, as the crash log lists it. Needs id, start and end
// address, name and path to be valid.
class TQTMBinary final : public TQTMSerializableObject {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMBinary";

    const std::optional<std::string>& binaryId() const { return binaryId_; }
    void setBinaryId(std::optional<std::string> value) { binaryId_ = std::move(value); }
    const std::optional<std::string>& startAddress() const { return startAddress_; }
    void setStartAddress(std::optional<std::string> value) { startAddress_ = std::move(value); }
    const std::optional<std::string>& endAddress() const { return endAddress_; }
    void setEndAddress(std::optional<std::string> value) { endAddress_ = std::move(value); }
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> value) { name_ = std::move(value); }
    const std::optional<std::string>& path() const { return path_; }
    void setPath(std::optional<std::string> value) { path_ = std::move(value); }
    const std::optional<std::string>& architecture() const { return architecture_; }
    void setArchitecture(std::optional<std::string> value) { architecture_ = std::move(value); }
    const std::optional<uint64_t>& primaryArchitectureId() const { return primaryArchitectureId_; }
    void setPrimaryArchitectureId(std::optional<uint64_t> value) { primaryArchitectureId_ = value; }
    const std::optional<uint64_t>& architectureVariantId() const { return architectureVariantId_; }
    void setArchitectureVariantId(std::optional<uint64_t> value) { architectureVariantId_ = value; }

    TQTMJson serializeToDictionary() const override;
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;
    std::string description() const;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> binaryId_;
    std::optional<std::string> startAddress_;
    std::optional<std::string> endAddress_;
    std::optional<std::string> name_;
    std::optional<std::string> path_;
    std::optional<std::string> architecture_;
    std::optional<uint64_t> primaryArchitectureId_;
    std::optional<uint64_t> architectureVariantId_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"id", &TQTMBinary::binaryId_},
        TQTMModelField{"startAddress", &TQTMBinary::startAddress_},
        TQTMModelField{"endAddress", &TQTMBinary::endAddress_},
        TQTMModelField{"name", &TQTMBinary::name_},
        TQTMModelField{"path", &TQTMBinary::path_},
        TQTMModelField{"architecture", &TQTMBinary::architecture_},
        TQTMModelField{"primaryArchitectureId", &TQTMBinary::primaryArchitectureId_},
        TQTMModelField{"architectureVariantId", &TQTMBinary::architectureVariantId_},
    };
};
