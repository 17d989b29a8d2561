#pragma once

// A decoded picture between the artwork decoder and encoder: 8-bit RGBA, rows packed without
// padding (4 * width bytes each), straight (not premultiplied) alpha.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonvale::artwork {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    bool isOpaque() const;
};

} // namespace sonvale::artwork
