#pragma once

#include "crashes/TQTMExceptionModel.h"

// An exception of a wrapper SDK's runtime, with the name of that SDK and the exceptions it wraps.
// Valid as its base is.
class TQTMWrapperExceptionModel final : public TQTMExceptionModel {
public:
    static constexpr std::string_view kArchiveClassName = "TQTMWrapperExceptionModel";
    using InnerExceptions = std::vector<std::shared_ptr<TQTMExceptionModel>>;

    const std::optional<std::string>& wrapperSdkName() const { return wrapperSdkName_; }
    void setWrapperSdkName(std::optional<std::string> value) { wrapperSdkName_ = std::move(value); }
    const std::optional<InnerExceptions>& innerExceptions() const { return innerExceptions_; }
    void setInnerExceptions(std::optional<InnerExceptions> value)
    {
        innerExceptions_ = std::move(value);
    }

    TQTMJson serializeToDictionary() const override;
    bool isEqual(const TQTMSerializableObject& other) const override;

    std::string_view archiveClassName() const override { return kArchiveClassName; }
    void encodeWithCoder(sonvale::KeyedArchiver& coder) const override;
    void initWithCoder(sonvale::KeyedUnarchiver& coder) override;

private:
    std::optional<std::string> wrapperSdkName_;
    std::optional<InnerExceptions> innerExceptions_;

    static constexpr auto kFields = std::tuple{
        TQTMModelField{"wrapperSdkName", &TQTMWrapperExceptionModel::wrapperSdkName_},
        TQTMModelField{"innerExceptions", &TQTMWrapperExceptionModel::innerExceptions_},
    };
};
