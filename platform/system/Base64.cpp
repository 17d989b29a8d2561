#include "platform/system/Base64.h"

#include <array>

namespace sonvale {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> makeDecodeTable()
{
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (int i = 0; i < 64; ++i)
        table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}
constexpr auto kDecode = makeDecodeTable();

} // namespace

std::string base64Encode(const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < size; i += 3) {
        const uint32_t n = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += kAlphabet[(n >> 6) & 63];
        out += kAlphabet[n & 63];
    }
    if (i < size) {
        const uint32_t n = (bytes[i] << 16) | (i + 1 < size ? bytes[i + 1] << 8 : 0);
        out += kAlphabet[(n >> 18) & 63];
        out += kAlphabet[(n >> 12) & 63];
        out += i + 1 < size ? kAlphabet[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::vector<uint8_t>> base64Decode(std::string_view text)
{
    if (text.size() % 4 != 0)
        return std::nullopt;
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
        if (padding == 1 && text[i + 2] == '=')
            return std::nullopt;
        uint32_t n = 0;
        for (int j = 0; j < 4 - padding; ++j) {
            const int8_t value = kDecode[static_cast<uint8_t>(text[i + j])];
            if (value < 0)
                return std::nullopt;
            n |= static_cast<uint32_t>(value) << (18 - 6 * j);
        }
        out.push_back(static_cast<uint8_t>(n >> 16));
        if (padding < 2)
            out.push_back(static_cast<uint8_t>(n >> 8));
        if (padding < 1)
            out.push_back(static_cast<uint8_t>(n));
    }
    return out;
}

std::optional<std::vector<uint8_t>> base64DecodeSkippingUnknown(std::string_view text)
{
    std::vector<uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int bitCount = 0;
    size_t symbols = 0;
    for (const char c : text) {
        const int8_t value = kDecode[static_cast<uint8_t>(c)];
        if (value < 0)
            continue;
        ++symbols;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            out.push_back(static_cast<uint8_t>(bits >> bitCount));
        }
    }
    if (symbols % 4 == 1)
        return std::nullopt;
    return out;
}

} // namespace sonvale
