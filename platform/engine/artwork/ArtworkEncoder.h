#pragma once

// Encodes an RGBA picture as a complete JPEG or PNG file with FFmpeg's image encoders. A PNG keeps
// the transparency of the picture (RGB when it has none); JPEG has no transparency, so a
// transparent picture is laid on white first, as a player would show it. Any thread; no state.

#include "platform/engine/artwork/ArtworkOptions.h"
#include "platform/engine/artwork/RgbaImage.h"
#include "platform/system/Status.h"

#include <cstdint>
#include <vector>

namespace sonvale::artwork {

class ArtworkEncoder final {
public:
    // `format` is Jpeg or Png. `out` is replaced only on success.
    static Status encode(const RgbaImage& image, ArtworkFormat format, std::vector<std::uint8_t>& out);
};

} // namespace sonvale::artwork
