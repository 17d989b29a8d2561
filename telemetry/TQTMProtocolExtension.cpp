#include "telemetry/TQTMProtocolExtension.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"

TQTMJson TQTMProtocolExtension::serializeToDictionary() const
{
    TQTMJson dictionary;
    if (ticketKeys_)
        dictionary["ticketKeys"] = *ticketKeys_;
    if (devMake_)
        dictionary["devMake"] = *devMake_;
    if (devModel_)
        dictionary["devModel"] = *devModel_;
    return dictionary;
}

bool TQTMProtocolExtension::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMProtocolExtension*>(&other);
    return part && ticketKeys_ == part->ticketKeys_ && devMake_ == part->devMake_ &&
           devModel_ == part->devModel_;
}

void TQTMProtocolExtension::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    coder.encodeStringArray("ticketKeys", ticketKeys_);
    coder.encodeString("devMake", devMake_);
    coder.encodeString("devModel", devModel_);
}

void TQTMProtocolExtension::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    ticketKeys_ = coder.decodeStringArray("ticketKeys");
    devMake_ = coder.decodeString("devMake");
    devModel_ = coder.decodeString("devModel");
}
