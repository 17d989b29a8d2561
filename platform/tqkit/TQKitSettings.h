#pragma once

// Text and data settings: one value per section and key, kept for the user in
// $XDG_CONFIG_HOME/Sonvale/settings.json. Numbers are stored as decimal text; time stamps are
// seconds since 1970; an empty text means unset. Every function is safe from any thread, and every
// write reaches the disk before it returns.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads a text into `out`, which holds `outSize` bytes: at most outSize - 1 bytes are copied, never
// splitting a UTF-8 sequence, and the text is always terminated. Unset values give `defaultText`.
void TQKitSettingReadText(const char* section, const char* key, const char* defaultText, char* out,
                          size_t outSize);
// The same value whole.
std::string TQKitSettingReadText(const char* section, const char* key,
                                 const char* defaultText = "");
// Stores a text; an empty or null value unsets the key.
void TQKitSettingWriteText(const char* section, const char* key, const char* value);

// Decimal numbers ("%d" and the 64-bit form for time stamps). A stored text that is not a number
// reads as the conversion of its leading digits, as the string-to-integer rule of the text form
// does; an unset value reads as `defaultValue`.
int TQKitSettingReadInt(const char* section, const char* key, int defaultValue);
void TQKitSettingWriteInt(const char* section, const char* key, int value);
int64_t TQKitSettingReadInt64(const char* section, const char* key, int64_t defaultValue);
void TQKitSettingWriteInt64(const char* section, const char* key, int64_t value);

// Binary values (stored pattern lists and the like). Reading an unset value gives no bytes.
std::vector<uint8_t> TQKitSettingReadData(const char* section, const char* key);
void TQKitSettingWriteData(const char* section, const char* key, const void* data, size_t size);

// Removes the key's text and data values.
void TQKitSettingRemove(const char* section, const char* key);
