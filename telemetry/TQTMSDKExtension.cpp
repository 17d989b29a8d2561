#include "telemetry/TQTMSDKExtension.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMJson TQTMSDKExtension::serializeToDictionary() const
{
    TQTMJson dictionary = TQTMTextFieldRecord::serializeToDictionary();
    if (installId_)
        dictionary["installId"] = installId_->toString();
    if (seq_ != 0)
        dictionary["seq"] = seq_;
    return dictionary;
}

bool TQTMSDKExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMSDKExtension*>(&other);
    return part && TQTMTextFieldRecord::isEqual(other) && seq_ == part->seq_ &&
           installId_ == part->installId_;
}

void TQTMSDKExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    TQTMTextFieldRecord::encodeWithCoder(coder);
    coder.encodeInt64("seq", seq_);
    coder.encodeUuid("installId", installId_);
}

void TQTMSDKExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    TQTMTextFieldRecord::initWithCoder(coder);
    seq_ = coder.decodeInt64("seq");
    installId_ = coder.decodeUuid("installId");
}
