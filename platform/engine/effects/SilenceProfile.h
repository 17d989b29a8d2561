#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace sonvale::effects {

// Where a stream is audible, for any threshold chosen after the stream has gone by. The threshold
// of silence trimming applies to the normalized level, and the normalization gain is known only at
// the end of the analysis pass; so instead of the stream itself this keeps, for each level band of
// about 0.14 dB, the first and the last frame whose peak falls in that band: a fixed 32 KiB however
// long the stream is.
class SilenceProfile final {
public:
    struct FrameRange {
        std::int64_t first = 0; // first frame above the threshold
        std::int64_t last = 0;  // last frame above the threshold (inclusive)
    };

    SilenceProfile();

    // Notes the peak (largest absolute sample over the channels) of one frame; frames come in order.
    void addFrame(std::int64_t frame, float peak);

    // The frames from the first to the last whose peak lies above thresholdLinear (amplitude, 1 is
    // full scale); none when every frame is at or below it. Peaks within one band above the
    // threshold may count as silence.
    std::optional<FrameRange> audibleRange(double thresholdLinear) const;

private:
    static int bandOf(float peak);

    std::array<std::int64_t, 2048> first_;
    std::array<std::int64_t, 2048> last_;
};

} // namespace sonvale::effects
