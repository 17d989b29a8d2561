#pragma once

// The size and colour depth of a picture, read from its header (JPEG, PNG, GIF) without decoding
// it: what a FLAC picture block states beside the picture. Pure; any thread.

#include <cstdint>
#include <optional>
#include <span>

namespace sonvale::artwork {

struct PictureGeometry {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int paletteColors = 0; // for indexed pictures (GIF, palette PNG); 0 otherwise
};

std::optional<PictureGeometry> pictureGeometryOf(std::span<const std::uint8_t> bytes);

} // namespace sonvale::artwork
