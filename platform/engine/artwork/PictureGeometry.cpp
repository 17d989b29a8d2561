#include "platform/engine/artwork/PictureGeometry.h"

#include "platform/engine/artwork/PictureSignature.h"

namespace sonvale::artwork {
namespace {

int bigEndian16(std::span<const std::uint8_t> b, size_t at) { return b[at] << 8 | b[at + 1]; }
int bigEndian31(std::span<const std::uint8_t> b, size_t at) { return (b[at] & 0x7f) << 24 | b[at + 1] << 16 | bigEndian16(b, at + 2); }
int littleEndian16(std::span<const std::uint8_t> b, size_t at) { return b[at] | b[at + 1] << 8; }

std::optional<PictureGeometry> pngGeometry(std::span<const std::uint8_t> b)
{
    // The IHDR chunk comes first: width and height (32-bit), bit depth, colour type.
    if (b.size() < 26)
        return std::nullopt;
    const int bitDepth = b[24], colourType = b[25];
    const int samples = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    PictureGeometry g{bigEndian31(b, 16), bigEndian31(b, 20), bitDepth * samples, 0};
    if (colourType == 3)
        g.paletteColors = 1 << bitDepth;
    return g;
}

std::optional<PictureGeometry> jpegGeometry(std::span<const std::uint8_t> b)
{
    // Walk the markers to the first start of frame: precision, height, width, components.
    size_t at = 2;
    while (at + 9 < b.size()) {
        if (b[at] != 0xff)
            return std::nullopt;
        const int marker = b[at + 1];
        const bool startOfFrame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (startOfFrame)
            return PictureGeometry{bigEndian16(b, at + 7), bigEndian16(b, at + 5), b[at + 4] * b[at + 9], 0};
        at += 2 + size_t(bigEndian16(b, at + 2));
    }
    return std::nullopt;
}

std::optional<PictureGeometry> gifGeometry(std::span<const std::uint8_t> b)
{
    if (b.size() < 11)
        return std::nullopt;
    const int depth = (b[10] & 0x07) + 1;
    return PictureGeometry{littleEndian16(b, 6), littleEndian16(b, 8), depth, (b[10] & 0x80) ? 1 << depth : 0};
}

} // namespace

std::optional<PictureGeometry> pictureGeometryOf(std::span<const std::uint8_t> bytes)
{
    switch (pictureTypeOf(bytes).value_or(PictureType::Bmp)) {
    case PictureType::Png: return pngGeometry(bytes);
    case PictureType::Jpeg: return jpegGeometry(bytes);
    case PictureType::Gif: return gifGeometry(bytes);
    default: return std::nullopt;
    }
}

} // namespace sonvale::artwork
