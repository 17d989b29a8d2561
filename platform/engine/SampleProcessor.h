#pragma once

#include <vector>

#include "platform/system/Status.h"

namespace sonvale::engine {

// A step between decoding and encoding that works on interleaved float samples at the output rate
// (normalization, volume control, fades, trimming, a duration limit). The transcoder owns it for
// one item and calls it on that item's thread only.
class SampleProcessor {
public:
    virtual ~SampleProcessor() = default;

    // Processes one block in place; it may shorten or lengthen `samples` (whole frames only).
    virtual Status process(std::vector<float>& samples, int channels) = 0;

    // Called once after the last block; may return the samples it still holds.
    virtual Status finish(std::vector<float>& samples, int channels) = 0;
};

} // namespace sonvale::engine
