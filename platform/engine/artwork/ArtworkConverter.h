#pragma once

// The artwork step of a conversion: brings one embedded picture to the format and the largest
// size the batch asks for. A picture that already fits is handed back byte for byte, so a JPEG
// is never re-compressed for nothing. When the picture cannot be read or written the step fails
// with a message and the caller keeps the original picture. Any thread; no state.

#include "platform/engine/artwork/ArtworkOptions.h"
#include "platform/system/Status.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sonvale::artwork {

struct ConvertedArtwork {
    std::vector<std::uint8_t> bytes;
    std::string mimeType; // "image/jpeg", "image/png", ... of `bytes`
    int width = 0;
    int height = 0;
    bool changed = false; // false: `bytes` are the original picture
};

class ArtworkConverter final {
public:
    // `out` is replaced only on success.
    static Status convert(std::span<const std::uint8_t> picture, const ArtworkOptions& options,
                          ConvertedArtwork& out);

    // The size a `width` x `height` picture gets with the limit `maxSize` (0: none): the largest
    // side becomes the limit, the other keeps the aspect ratio (at least 1 pixel); never larger.
    static void fitSize(int width, int height, int maxSize, int& fittedWidth, int& fittedHeight);
};

} // namespace sonvale::artwork
