#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonvale {

// Standard base64 (RFC 4648, with padding).
std::string base64Encode(const void* data, size_t size);
inline std::string base64Encode(std::string_view bytes) { return base64Encode(bytes.data(), bytes.size()); }

// Strict decoding: nothing when the text holds anything but the alphabet and correct padding.
std::optional<std::vector<uint8_t>> base64Decode(std::string_view text);

// Lenient decoding for text that may be wrapped or decorated: every character outside the
// alphabet (line breaks, blanks, anything else) is skipped, and so is the padding. Nothing when the
// remaining characters cannot form whole bytes (one stray character after the last group).
std::optional<std::vector<uint8_t>> base64DecodeSkippingUnknown(std::string_view text);

} // namespace sonvale
