#include "platform/system/Uuid.h"

#include "platform/system/PercentEncoding.h"

#include <sys/random.h>

namespace sonvale {
namespace {

constexpr size_t kTextLength = 36;

bool isDashPosition(size_t i)
{
    return i == 8 || i == 13 || i == 18 || i == 23;
}

} // namespace

Uuid Uuid::random()
{
    Bytes bytes{};
    size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got > 0)
            filled += static_cast<size_t>(got);
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0f) | 0x40);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3f) | 0x80);
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::fromString(std::string_view text)
{
    if (text.size() != kTextLength)
        return std::nullopt;
    Bytes bytes{};
    size_t nibble = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (isDashPosition(i)) {
            if (text[i] != '-')
                return std::nullopt;
            continue;
        }
        const int value = hexDigitValue(text[i]);
        if (value < 0)
            return std::nullopt;
        bytes[nibble / 2] =
            static_cast<uint8_t>(bytes[nibble / 2] | (value << (nibble % 2 ? 0 : 4)));
        ++nibble;
    }
    return Uuid(bytes);
}

std::string Uuid::toString() const
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(kTextLength);
    for (size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += kHex[bytes_[i] >> 4];
        text += kHex[bytes_[i] & 0x0f];
    }
    return text;
}

} // namespace sonvale
