#include "platform/engine/artwork/RgbaImage.h"

namespace sonvale::artwork {

bool RgbaImage::isOpaque() const
{
    for (std::size_t alpha = 3; alpha < pixels.size(); alpha += 4) {
        if (pixels[alpha] != 0xFF)
            return false;
    }
    return true;
}

} // namespace sonvale::artwork
