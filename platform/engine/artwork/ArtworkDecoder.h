#pragma once

// Decodes one embedded picture with FFmpeg's image decoders and hands it on as RGBA, scaled to the
// size asked for. The bytes come from files we did not make, so they are treated as hostile: the
// format is told by signature only, a picture larger than kMaxPixels is refused before any
// memory is spent on it, damage in a JPEG or PNG is an error rather than a half-grey picture, and
// every failure is a Status. One thread at a time per decoder.

#include "platform/engine/artwork/FfmpegHandles.h"
#include "platform/engine/artwork/PictureSignature.h"
#include "platform/engine/artwork/RgbaImage.h"
#include "platform/system/Status.h"

#include <cstdint>
#include <span>

namespace sonvale::artwork {

class ArtworkDecoder final {
public:
    // 64 megapixels: far beyond any cover, small enough that one picture cannot exhaust memory.
    static constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;

    // Decodes the first picture of `bytes`; the other calls need a successful decode.
    Status decode(std::span<const std::uint8_t> bytes);

    PictureType type() const { return type_; }
    int width() const { return frame_->width; }
    int height() const { return frame_->height; }

    // The picture in RGBA at `width` x `height` (scaled when that differs from its own size).
    Status scaleTo(int width, int height, RgbaImage& out) const;

private:
    PictureType type_ = PictureType::Jpeg;
    FramePtr frame_;
};

} // namespace sonvale::artwork
