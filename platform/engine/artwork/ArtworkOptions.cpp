#include "platform/engine/artwork/ArtworkOptions.h"

#include "platform/tqkit/TQTaskInfoRecord.h"

namespace sonvale::artwork {

ArtworkOptions ArtworkOptions::fromRecord(std::int32_t artworkConversion, std::int32_t maxArtworkSize)
{
    ArtworkOptions options;
    if (artworkConversion == kTQTaskInfoArtworkToJPEG)
        options.format = ArtworkFormat::Jpeg;
    else if (artworkConversion == kTQTaskInfoArtworkToPNG)
        options.format = ArtworkFormat::Png;
    options.maxSize = maxArtworkSize > 0 ? maxArtworkSize : 0;
    return options;
}

} // namespace sonvale::artwork
