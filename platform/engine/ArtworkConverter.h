#pragma once

#include "platform/engine/TagSet.h"
#include "platform/system/Status.h"

namespace sonvale::engine {

// Converts a cover picture to JPEG or PNG and/or shrinks it to fit a largest side, keeping its
// aspect ratio, with FFmpeg's image codecs. Pictures come from untrusted files: this runs in the
// conversion service with the rest of the item.
class ArtworkConverter final {
public:
    enum class Format { Keep = 0, Jpeg = 1, Png = 2 };

    // Leaves `art` as it is when it needs no change; on failure `art` is unchanged too.
    static Status convert(Artwork& art, Format format, int maxSide);
};

} // namespace sonvale::engine
