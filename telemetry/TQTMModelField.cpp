#include "telemetry/TQTMModelField.h"

#include "platform/system/Base64.h"
#include "telemetry/TQTMUtility.h"

namespace tqtm_detail {

void putIfPresent(TQTMJson& dictionary, const char* key,
                  const std::optional<sonvale::TimePoint>& value)
{
    if (value)
        dictionary[key] = TQTMUtility::dateToISO8601(*value);
}

void putIfPresent(TQTMJson& dictionary, const char* key,
                  const std::optional<std::vector<uint8_t>>& value)
{
    if (value)
        dictionary[key] = sonvale::base64Encode(value->data(), value->size());
}

void putField(TQTMJson& dictionary, const char* key, bool value)
{
    dictionary[key] = value;
}

void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::string>& value)
{
    coder.encodeString(key, value);
}

void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<sonvale::TimePoint>& value)
{
    coder.encodeDate(key, value);
}

void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::vector<uint8_t>>& value)
{
    coder.encodeData(key, value);
}

void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::vector<std::string>>& value)
{
    coder.encodeStringArray(key, value);
}

void encodeField(sonvale::KeyedArchiver& coder, const char* key,
                 const std::optional<std::map<std::string, std::string>>& value)
{
    coder.encodeStringMap(key, value);
}

void encodeField(sonvale::KeyedArchiver& coder, const char* key, bool value)
{
    coder.encodeBool(key, value);
}

void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::string>& value)
{
    value = coder.decodeString(key);
}

void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<sonvale::TimePoint>& value)
{
    value = coder.decodeDate(key);
}

void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::vector<uint8_t>>& value)
{
    value = coder.decodeData(key);
}

void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::vector<std::string>>& value)
{
    value = coder.decodeStringArray(key);
}

void decodeField(sonvale::KeyedUnarchiver& coder, const char* key,
                 std::optional<std::map<std::string, std::string>>& value)
{
    value = coder.decodeStringMap(key);
}

void decodeField(sonvale::KeyedUnarchiver& coder, const char* key, bool& value)
{
    value = coder.decodeBool(key);
}

} // namespace tqtm_detail
