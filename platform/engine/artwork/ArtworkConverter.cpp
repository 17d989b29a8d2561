#include "platform/engine/artwork/ArtworkConverter.h"

#include "platform/engine/artwork/ArtworkDecoder.h"
#include "platform/engine/artwork/ArtworkEncoder.h"

#include <algorithm>
#include <cmath>

namespace sonvale::artwork {
namespace {

const char* mimeTypeOf(PictureType type)
{
    switch (type) {
    case PictureType::Jpeg: return "image/jpeg";
    case PictureType::Png: return "image/png";
    case PictureType::Gif: return "image/gif";
    case PictureType::Bmp: return "image/bmp";
    case PictureType::WebP: return "image/webp";
    case PictureType::Tiff: return "image/tiff";
    case PictureType::Jpeg2000: return "image/jp2";
    case PictureType::Qoi: return "image/qoi";
    }
    return "application/octet-stream";
}

bool isFormat(PictureType type, ArtworkFormat format)
{
    return (format == ArtworkFormat::Jpeg && type == PictureType::Jpeg) ||
           (format == ArtworkFormat::Png && type == PictureType::Png);
}

// What a picture that must be scaled becomes when the batch keeps formats: a JPEG stays JPEG;
// every other format, which we cannot write, becomes lossless PNG.
ArtworkFormat keptFormat(PictureType type)
{
    return type == PictureType::Jpeg ? ArtworkFormat::Jpeg : ArtworkFormat::Png;
}

} // namespace

void ArtworkConverter::fitSize(int width, int height, int maxSize, int& fittedWidth, int& fittedHeight)
{
    fittedWidth = width;
    fittedHeight = height;
    const int largest = std::max(width, height);
    if (maxSize <= 0 || largest <= maxSize)
        return;
    const double scale = static_cast<double>(maxSize) / largest;
    fittedWidth = width == largest ? maxSize : std::max(1, static_cast<int>(std::lround(width * scale)));
    fittedHeight = height == largest ? maxSize : std::max(1, static_cast<int>(std::lround(height * scale)));
}

Status ArtworkConverter::convert(std::span<const std::uint8_t> picture, const ArtworkOptions& options,
                                 ConvertedArtwork& out)
{
    ArtworkDecoder decoder;
    if (Status decoded = decoder.decode(picture); !decoded)
        return decoded;

    int width = 0;
    int height = 0;
    fitSize(decoder.width(), decoder.height(), options.maxSize, width, height);
    const bool scaled = width != decoder.width() || height != decoder.height();
    if (!scaled && (options.format == ArtworkFormat::Keep || isFormat(decoder.type(), options.format))) {
        out = {std::vector<std::uint8_t>(picture.begin(), picture.end()), mimeTypeOf(decoder.type()), width,
               height, false};
        return Status::success();
    }

    RgbaImage image;
    if (Status scaledImage = decoder.scaleTo(width, height, image); !scaledImage)
        return scaledImage;
    const ArtworkFormat format = options.format == ArtworkFormat::Keep ? keptFormat(decoder.type()) : options.format;
    std::vector<std::uint8_t> bytes;
    if (Status encoded = ArtworkEncoder::encode(image, format, bytes); !encoded)
        return encoded;
    out = {std::move(bytes), format == ArtworkFormat::Jpeg ? "image/jpeg" : "image/png", width, height, true};
    return Status::success();
}

} // namespace sonvale::artwork
