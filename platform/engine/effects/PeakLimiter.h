#pragma once

#include "platform/engine/effects/DynamicStage.h"
#include "platform/engine/effects/FloatAudioFormat.h"

#include <deque>
#include <utility>
#include <vector>

namespace sonvale::effects {

// A lookahead limiter that keeps every sample at or under a ceiling. The gain a frame needs on its
// own (ceiling / peak) is turned into a smooth curve: the minimum over the lookahead window, then a
// moving average of the same length, so the gain glides down before a peak and is never above what
// any frame needs; it recovers with an exponential release. Latency: the lookahead (5 ms).
class PeakLimiter final : public DynamicStage {
public:
    PeakLimiter(const FloatAudioFormat& format, double ceiling);

    void process(const double* frames, std::int64_t frameCount, std::vector<double>& out) override;
    void flush(std::vector<double>& out) override;

private:
    void take(const double* frame, std::vector<double>& out);

    const int channels_;
    const std::int64_t lookahead_; // frames
    const double ceiling_;
    const double release_; // share of the way back to the target gain per frame

    std::vector<double> delayed_;        // the last lookahead_ frames taken, a ring by frame index
    std::vector<double> frameGain_;     // the gain each of those frames needs on its own
    std::deque<std::pair<std::int64_t, double>> windowMinimum_; // ascending gains of the window
    std::vector<double> recentMinima_;  // ring of the last lookahead_ window minima
    double minimaSum_;
    double gain_ = 1.0;
    std::int64_t taken_ = 0;        // frames taken, the flush's padding included
    std::int64_t streamFrames_ = 0; // frames of the stream itself
};

} // namespace sonvale::effects
