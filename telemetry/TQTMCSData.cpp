#include "telemetry/TQTMCSData.h"

#include "platform/system/KeyedArchiver.h"
#include "platform/system/KeyedUnarchiver.h"
#include "telemetry/TQTMOrderedDictionary.h"

TQTMJson TQTMCSData::serializeToDictionary() const
{
    if (!properties_ || !properties_->is_object())
        return TQTMJson();
    TQTMOrderedDictionary dictionary;
    for (const char* leading : {"baseType", "baseData"})
        if (properties_->contains(leading))
            dictionary.setObjectForKey((*properties_)[leading], leading);
    for (auto it = properties_->begin(); it != properties_->end(); ++it)
        dictionary.setObjectForKey(*it, it.key());
    return dictionary.json();
}

bool TQTMCSData::isEqual(const TQTMSerializableObject& other) const
{
    const auto* part = dynamic_cast<const TQTMCSData*>(&other);
    return part && properties_ == part->properties_;
}

void TQTMCSData::encodeWithCoder(sonvale::KeyedArchiver& coder) const
{
    // Kept as JSON text, which preserves the members' order.
    if (properties_)
        coder.encodeString(sonvale::KeyedArchiver::kRootKey,
                           properties_->dump(-1, ' ', false, TQTMJson::error_handler_t::replace));
}

void TQTMCSData::initWithCoder(sonvale::KeyedUnarchiver& coder)
{
    properties_.reset();
    if (const std::optional<std::string> text =
            coder.decodeString(sonvale::KeyedArchiver::kRootKey)) {
        TQTMJson parsed = TQTMJson::parse(*text, nullptr, false);
        if (!parsed.is_discarded())
            properties_ = std::move(parsed);
    }
}
