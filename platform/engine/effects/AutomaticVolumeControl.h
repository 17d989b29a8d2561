#pragma once

#include "platform/engine/effects/DynamicStage.h"
#include "platform/engine/effects/FloatAudioFormat.h"

#include <deque>
#include <memory>
#include <vector>

namespace sonvale::effects {

class EbuR128Meter;

// Evens out loud and soft passages. The stream is cut into blocks of 250 ms; each block asks for
// the gain that brings it to the target (its peak to the peak target, or its loudness to the
// loudness target), at most +20 dB, never so much that its peak passes the peak target or the
// ceiling, and 1 for pauses far below the target. Those gains are smoothed into a slow curve: a
// minimum over the neighbouring blocks, then a Gaussian average, so that the curve at a block never
// exceeds what any block within reach asks for (which keeps every sample under the ceiling), and
// ramps linearly from block to block. Latency and memory: 11 blocks (under 3 s of audio).
class AutomaticVolumeControl final : public DynamicStage {
public:
    // Peak target as an amplitude (1 is full scale).
    static std::unique_ptr<AutomaticVolumeControl> forPeakTarget(const FloatAudioFormat& format,
                                                                 double peakTarget);
    // Loudness target in LUFS; null when libebur128 cannot measure this format.
    static std::unique_ptr<AutomaticVolumeControl> forLoudnessTarget(const FloatAudioFormat& format,
                                                                     double loudnessTargetLufs);
    ~AutomaticVolumeControl() override;

    void process(const float* frames, std::int64_t frameCount, std::vector<float>& out) override;
    void flush(std::vector<float>& out) override;

private:
    AutomaticVolumeControl(const FloatAudioFormat& format, double peakLimit, double loudnessTarget,
                           std::unique_ptr<EbuR128Meter> meter);

    void completeBlock();
    double blockGain(const std::vector<float>& block) const;
    double smoothedGain(std::int64_t block) const;
    double desiredGainAround(std::int64_t block) const;
    void emitReadyBlocks(bool streamEnded, std::vector<float>& out);

    const FloatAudioFormat format_;
    const std::int64_t blockFrames_;
    const double peakLimit_;      // highest peak a block may reach
    const double loudnessTarget_; // LUFS; used when meter_ is set
    std::unique_ptr<EbuR128Meter> meter_; // null: blocks are brought to peakLimit_
    std::vector<double> kernel_;  // Gaussian weights by distance in blocks

    std::vector<float> filling_;          // the block being filled
    std::deque<std::vector<float>> held_; // complete blocks not yet given out, from nextBlock_ on
    std::deque<double> desired_;          // gains blocks ask for, from firstDesired_ on
    std::int64_t firstDesired_ = 0;
    std::int64_t completedBlocks_ = 0;
    std::int64_t nextBlock_ = 0;
};

} // namespace sonvale::effects
