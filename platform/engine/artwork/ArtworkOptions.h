#pragma once

// What a conversion does to the pictures embedded in its result, filled by the engine from the
// batch's settings record (artwork conversion and maximum artwork size).

#include <cstdint>

namespace sonvale::artwork {

enum class ArtworkFormat {
    Keep, // the picture stays in its own format unless it must be scaled
    Jpeg,
    Png,
};

struct ArtworkOptions {
    ArtworkFormat format = ArtworkFormat::Keep;
    int maxSize = 0; // pixels of the largest side; 0 = no limit. Pictures are never scaled up.

    // From the record's artwork conversion code (0 keep, 0x2000C JPEG, 0x20009 PNG; any other code
    // keeps the format) and its maximum size (0 or less: no limit).
    static ArtworkOptions fromRecord(std::int32_t artworkConversion, std::int32_t maxArtworkSize);

    bool changesNothing() const { return format == ArtworkFormat::Keep && maxSize <= 0; }
};

} // namespace sonvale::artwork
