#include "platform/system/KeyedArchiver.h"

namespace sonvale {

void KeyedArchiver::encodeString(const std::string& key, const std::optional<std::string>& value)
{
    if (value)
        values_[key] = *value;
}

void KeyedArchiver::encodeInt64(const std::string& key, int64_t value)
{
    values_[key] = value;
}

void KeyedArchiver::encodeDouble(const std::string& key, double value)
{
    values_[key] = value;
}

void KeyedArchiver::encodeBool(const std::string& key, bool value)
{
    values_[key] = value;
}

void KeyedArchiver::encodeDate(const std::string& key, const std::optional<TimePoint>& value)
{
    // Nanoseconds since 1970, so a date reads back exactly equal.
    if (value)
        values_[key] = static_cast<int64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(value->time_since_epoch())
                .count());
}

void KeyedArchiver::encodeUuid(const std::string& key, const std::optional<Uuid>& value)
{
    if (value)
        values_[key] = nlohmann::json::binary({value->bytes().begin(), value->bytes().end()});
}

void KeyedArchiver::encodeData(const std::string& key,
                               const std::optional<std::vector<uint8_t>>& value)
{
    if (value)
        values_[key] = nlohmann::json::binary(*value);
}

void KeyedArchiver::encodeStringArray(const std::string& key,
                                      const std::optional<std::vector<std::string>>& value)
{
    if (value)
        values_[key] = *value;
}

void KeyedArchiver::encodeStringMap(const std::string& key,
                                    const std::optional<std::map<std::string, std::string>>& value)
{
    if (value)
        values_[key] = *value;
}

void KeyedArchiver::encodeObject(const std::string& key, const KeyedArchivable* object)
{
    if (object)
        values_[key] = encodedObject(*object);
}

void KeyedArchiver::encodeObjects(const std::string& key,
                                  const std::vector<const KeyedArchivable*>& objects)
{
    nlohmann::json array = nlohmann::json::array();
    for (const KeyedArchivable* object : objects)
        array.push_back(object ? encodedObject(*object) : nlohmann::json());
    values_[key] = std::move(array);
}

nlohmann::json KeyedArchiver::encodedObject(const KeyedArchivable& object)
{
    KeyedArchiver nested;
    nested.values_["$class"] = std::string(object.archiveClassName());
    object.encodeWithCoder(nested);
    return std::move(nested.values_);
}

std::vector<uint8_t> KeyedArchiver::finish() const
{
    return nlohmann::json::to_cbor(values_);
}

} // namespace sonvale
