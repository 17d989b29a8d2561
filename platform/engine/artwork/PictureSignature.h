#pragma once

// Which picture format a run of bytes holds, told by its signature (the first bytes of the file),
// never by a name or a MIME type someone wrote beside it. Pure; any thread.

#include <cstdint>
#include <optional>
#include <span>

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace sonvale::artwork {

enum class PictureType { Jpeg, Png, Gif, Bmp, WebP, Tiff, Jpeg2000, Qoi };

std::optional<PictureType> pictureTypeOf(std::span<const std::uint8_t> bytes);

// The decoder that reads the type.
AVCodecID pictureCodecId(PictureType type);

} // namespace sonvale::artwork
