#pragma once

#include <cstdint>
#include <optional>

namespace sonvale::engine {

// The part of a source that one item converts: a track of a disc image, in CD frames (1/75 s)
// from the start of the image. Both ends turn into samples the same way for every track, so the
// tracks of an image joined again give the image sample for sample.
struct SourceSpan {
    int64_t startFrame = 0;
    std::optional<int64_t> endFrame; // none: to the end of the image
};

} // namespace sonvale::engine
