#include "platform/tqkit/TQKitSettings.h"

#include "platform/system/Base64.h"
#include "platform/tqkit/TQKitSettingsStore.h"
#include "platform/tqkit/TQKitTextBuffer.h"

#include <cstdlib>

namespace {

using Kind = TQKitSettingsStore::Kind;

std::string textOrEmpty(const char* text) { return text ? text : ""; }

std::optional<std::string> storedText(const char* section, const char* key)
{
    std::optional<std::string> value =
        TQKitSettingsStore::shared()->value(Kind::Text, textOrEmpty(section), textOrEmpty(key));
    if (value && value->empty())
        return std::nullopt;
    return value;
}

} // namespace

void TQKitSettingReadText(const char* section, const char* key, const char* defaultText, char* out,
                          size_t outSize)
{
    TQKitCopyTextToBuffer(TQKitSettingReadText(section, key, defaultText), out, outSize);
}

std::string TQKitSettingReadText(const char* section, const char* key, const char* defaultText)
{
    return storedText(section, key).value_or(textOrEmpty(defaultText));
}

void TQKitSettingWriteText(const char* section, const char* key, const char* value)
{
    TQKitSettingsStore::shared()->setValue(Kind::Text, textOrEmpty(section), textOrEmpty(key),
                                          textOrEmpty(value));
}

int TQKitSettingReadInt(const char* section, const char* key, int defaultValue)
{
    const std::optional<std::string> text = storedText(section, key);
    return text ? std::atoi(text->c_str()) : defaultValue;
}

void TQKitSettingWriteInt(const char* section, const char* key, int value)
{
    TQKitSettingWriteText(section, key, std::to_string(value).c_str());
}

int64_t TQKitSettingReadInt64(const char* section, const char* key, int64_t defaultValue)
{
    const std::optional<std::string> text = storedText(section, key);
    return text ? std::strtoll(text->c_str(), nullptr, 10) : defaultValue;
}

void TQKitSettingWriteInt64(const char* section, const char* key, int64_t value)
{
    TQKitSettingWriteText(section, key, std::to_string(value).c_str());
}

std::vector<uint8_t> TQKitSettingReadData(const char* section, const char* key)
{
    const std::optional<std::string> encoded =
        TQKitSettingsStore::shared()->value(Kind::Data, textOrEmpty(section), textOrEmpty(key));
    if (!encoded)
        return {};
    return sonvale::base64Decode(*encoded).value_or(std::vector<uint8_t>{});
}

void TQKitSettingWriteData(const char* section, const char* key, const void* data, size_t size)
{
    TQKitSettingsStore::shared()->setValue(Kind::Data, textOrEmpty(section), textOrEmpty(key),
                                          data ? sonvale::base64Encode(data, size) : std::string());
}

void TQKitSettingRemove(const char* section, const char* key)
{
    TQKitSettingsStore::shared()->remove(textOrEmpty(section), textOrEmpty(key));
}
