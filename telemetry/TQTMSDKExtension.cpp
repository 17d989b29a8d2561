#include "telemetry/TQTMSDKExtension.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMJson TQTMSDKExtension::serializeToDictionary() const
{
    TQTMJson dictionary;
    if (libVer_)
        dictionary["libVer"] = *libVer_;
    if (epoch_)
        dictionary["epoch"] = *epoch_;
    if (installId_)
        dictionary["installId"] = installId_->toString();
    if (seq_ != 0)
        dictionary["seq"] = seq_;
    return dictionary;
}

bool TQTMSDKExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMSDKExtension*>(&other);
    return part && libVer_ == part->libVer_ && epoch_ == part->epoch_ && seq_ == part->seq_ &&
           installId_ == part->installId_;
}

void TQTMSDKExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    coder.encodeString("libVer", libVer_);
    coder.encodeString("epoch", epoch_);
    coder.encodeInt64("seq", seq_);
    coder.encodeUuid("installId", installId_);
}

void TQTMSDKExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    libVer_ = coder.decodeString("libVer");
    epoch_ = coder.decodeString("epoch");
    seq_ = coder.decodeInt64("seq");
    installId_ = coder.decodeUuid("installId");
}
