#include "platform/engine/artwork/PictureSignature.h"

#include <string_view>

namespace sonvale::artwork {
namespace {

struct Signature {
    PictureType type;
    size_t offset;
    std::string_view bytes;
};

using namespace std::string_view_literals;

constexpr Signature kSignatures[] = {
    {PictureType::Jpeg, 0, "\xFF\xD8\xFF"sv},
    {PictureType::Png, 0, "\x89PNG\r\n\x1A\n"sv},
    {PictureType::Gif, 0, "GIF87a"sv},
    {PictureType::Gif, 0, "GIF89a"sv},
    {PictureType::Bmp, 0, "BM"sv},
    {PictureType::WebP, 8, "WEBP"sv}, // after "RIFF" and the chunk size
    {PictureType::Tiff, 0, "II*\0"sv},
    {PictureType::Tiff, 0, "MM\0*"sv},
    {PictureType::Jpeg2000, 0, "\0\0\0\x0CjP  \r\n\x87\n"sv}, // JP2 file
    {PictureType::Jpeg2000, 0, "\xFF\x4F\xFF\x51"sv},          // bare codestream
    {PictureType::Qoi, 0, "qoif"sv},
};

bool hasBytesAt(std::span<const std::uint8_t> bytes, size_t offset, std::string_view expected)
{
    if (bytes.size() < offset + expected.size())
        return false;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (bytes[offset + i] != static_cast<std::uint8_t>(expected[i]))
            return false;
    }
    return true;
}

bool matches(std::span<const std::uint8_t> bytes, const Signature& signature)
{
    return hasBytesAt(bytes, signature.offset, signature.bytes) &&
           (signature.type != PictureType::WebP || hasBytesAt(bytes, 0, "RIFF"sv));
}

} // namespace

std::optional<PictureType> pictureTypeOf(std::span<const std::uint8_t> bytes)
{
    for (const Signature& signature : kSignatures) {
        if (matches(bytes, signature))
            return signature.type;
    }
    return std::nullopt;
}

AVCodecID pictureCodecId(PictureType type)
{
    switch (type) {
    case PictureType::Jpeg: return AV_CODEC_ID_MJPEG;
    case PictureType::Png: return AV_CODEC_ID_PNG;
    case PictureType::Gif: return AV_CODEC_ID_GIF;
    case PictureType::Bmp: return AV_CODEC_ID_BMP;
    case PictureType::WebP: return AV_CODEC_ID_WEBP;
    case PictureType::Tiff: return AV_CODEC_ID_TIFF;
    case PictureType::Jpeg2000: return AV_CODEC_ID_JPEG2000;
    case PictureType::Qoi: return AV_CODEC_ID_QOI;
    }
    return AV_CODEC_ID_NONE;
}

} // namespace sonvale::artwork
