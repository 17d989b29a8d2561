#pragma once

#include "platform/engine/effects/DynamicStage.h"
#include "platform/engine/effects/FloatAudioFormat.h"

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace sonvale::effects {

class EbuR128Meter;

// Evens out loud and soft passages. The stream is cut into blocks of 250 ms. Each block asks for
// the gain that brings it to the target (its peak to the peak target, or its loudness to the
// loudness target), at most +20 dB; a pause far below the target asks for nothing, so that soft
// speech between pauses is raised like any soft passage. Each block also bounds the gain so that
// its peak stays at the peak target or the ceiling. The curve at a block is the Gaussian average,
// over the neighbouring blocks, of the smallest ask and bound around each of them (1 where only
// pauses are around): it never exceeds a bound within reach, which keeps every sample under the
// ceiling, and ramps linearly from block to block. Latency and memory: 11 blocks (under 3 s).
class AutomaticVolumeControl final : public DynamicStage {
public:
    // Peak target as an amplitude (1 is full scale).
    static std::unique_ptr<AutomaticVolumeControl> forPeakTarget(const FloatAudioFormat& format,
                                                                 double peakTarget);
    // Loudness target in LUFS; null when libebur128 cannot measure this format.
    static std::unique_ptr<AutomaticVolumeControl> forLoudnessTarget(const FloatAudioFormat& format,
                                                                     double loudnessTargetLufs);
    ~AutomaticVolumeControl() override;

    void process(const double* frames, std::int64_t frameCount, std::vector<double>& out) override;
    void flush(std::vector<double>& out) override;

private:
    AutomaticVolumeControl(const FloatAudioFormat& format, double peakLimit, double loudnessTarget,
                           std::unique_ptr<EbuR128Meter> meter);

    struct BlockAsk {
        std::optional<double> levelGain; // none for a pause
        double peakBound;                // highest gain that keeps the block's peak in bounds
    };

    void completeBlock();
    BlockAsk askOf(const std::vector<double>& block) const;
    double smoothedGain(std::int64_t block) const;
    double gainAround(std::int64_t block) const;
    void emitReadyBlocks(bool streamEnded, std::vector<double>& out);

    const FloatAudioFormat format_;
    const std::int64_t blockFrames_;
    const double peakLimit_;      // highest peak a block may reach
    const double loudnessTarget_; // LUFS; used when meter_ is set
    std::unique_ptr<EbuR128Meter> meter_; // null: blocks are brought to peakLimit_
    std::vector<double> kernel_;  // Gaussian weights by distance in blocks

    std::vector<double> filling_;          // the block being filled
    std::deque<std::vector<double>> held_; // complete blocks not yet given out, from nextBlock_ on
    std::deque<BlockAsk> asks_;           // asks of the blocks from firstAsk_ on
    std::int64_t firstAsk_ = 0;
    std::int64_t completedBlocks_ = 0;
    std::int64_t nextBlock_ = 0;
};

} // namespace sonvale::effects
