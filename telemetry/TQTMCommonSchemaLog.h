#pragma once

#include "telemetry/TQTMAbstractLog.h"

class TQTMCSData;
class TQTMCSExtensions;

// The record the one-collector ingestion accepts. It replaces the ordinary envelope: its JSON
// holds only its own members ("time" is the inherited timestamp).
class TQTMCommonSchemaLog final : public TQTMAbstractLog {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMCommonSchemaLog";

    const std::optional<std::string>& ver() const { return ver_; }
    void setVer(std::optional<std::string> value) { ver_ = std::move(value); }
    const std::optional<std::string>& name() const { return name_; }
    void setName(std::optional<std::string> value) { name_ = std::move(value); }
    double popSample() const { return popSample_; }
    void setPopSample(double popSample) { popSample_ = popSample; }
    const std::optional<std::string>& iKey() const { return iKey_; }
    void setIKey(std::optional<std::string> value) { iKey_ = std::move(value); }
    int64_t flags() const { return flags_; }
    void setFlags(int64_t flags) { flags_ = flags; }
    const std::optional<std::string>& cV() const { return cV_; }
    void setCV(std::optional<std::string> value) { cV_ = std::move(value); }
    const std::shared_ptr<TQTMCSExtensions>& ext() const { return ext_; }
    void setExt(std::shared_ptr<TQTMCSExtensions> value) { ext_ = std::move(value); }
    const std::shared_ptr<TQTMCSData>& data() const { return data_; }
    void setData(std::shared_ptr<TQTMCSData> value) { data_ = std::move(value); }

    // "ver", "name", "time", "iKey", "flags" (when not 0), "ext", "data", in this order.
    TQTMJson serializeToDictionary() const override;
    // Needs the timestamp, ver and name; the base class's rules do not apply.
    bool isValid() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> ver_;
    std::optional<std::string> name_;
    double popSample_ = 0;
    std::optional<std::string> iKey_;
    int64_t flags_ = 0;
    std::optional<std::string> cV_;
    std::shared_ptr<TQTMCSExtensions> ext_;
    std::shared_ptr<TQTMCSData> data_;
};
