#include "platform/engine/effects/AutomaticVolumeControl.h"

#include "platform/engine/effects/EbuR128Meter.h"
#include "platform/engine/effects/EffectsPlan.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sonvale::effects {

namespace {

constexpr double kBlockSeconds = 0.25;
constexpr std::int64_t kSmoothingRadius = 4; // blocks on each side of the Gaussian average
// One block wider than the average, so that the curve between two blocks stays under both bounds.
constexpr std::int64_t kMinimumRadius = kSmoothingRadius + 1;
constexpr double kMostGain = 10.0;       // +20 dB
constexpr double kPauseDepthDb = 40.0;   // blocks this far under the target are pauses

double peakOf(const std::vector<double>& samples)
{
    double peak = 0.0;
    for (const double sample : samples)
        peak = std::max(peak, std::fabs(sample));
    return peak;
}

} // namespace

std::unique_ptr<AutomaticVolumeControl> AutomaticVolumeControl::forPeakTarget(const FloatAudioFormat& format,
                                                                              double peakTarget)
{
    return std::unique_ptr<AutomaticVolumeControl>(
        new AutomaticVolumeControl(format, peakTarget, 0.0, nullptr));
}

std::unique_ptr<AutomaticVolumeControl>
AutomaticVolumeControl::forLoudnessTarget(const FloatAudioFormat& format, double loudnessTargetLufs)
{
    auto meter = EbuR128Meter::create(format, EbuR128Meter::WindowLoudness);
    if (!meter)
        return nullptr;
    return std::unique_ptr<AutomaticVolumeControl>(
        new AutomaticVolumeControl(format, kPeakCeiling, loudnessTargetLufs, std::move(meter)));
}

AutomaticVolumeControl::AutomaticVolumeControl(const FloatAudioFormat& format, double peakLimit,
                                               double loudnessTarget, std::unique_ptr<EbuR128Meter> meter)
    : format_(format),
      blockFrames_(std::max<std::int64_t>(1, std::llround(kBlockSeconds * format.sampleRate))),
      peakLimit_(peakLimit),
      loudnessTarget_(loudnessTarget),
      meter_(std::move(meter))
{
    const double sigma = kSmoothingRadius / 3.0;
    for (std::int64_t distance = 0; distance <= kSmoothingRadius; ++distance)
        kernel_.push_back(std::exp(-0.5 * (distance / sigma) * (distance / sigma)));
    filling_.reserve(static_cast<std::size_t>(blockFrames_ * format_.channels));
}

AutomaticVolumeControl::~AutomaticVolumeControl() = default;

void AutomaticVolumeControl::process(const double* frames, std::int64_t frameCount, std::vector<double>& out)
{
    const auto blockSamples = static_cast<std::size_t>(blockFrames_ * format_.channels);
    const double* next = frames;
    const double* end = frames + frameCount * format_.channels;
    while (next < end) {
        const auto room = static_cast<std::ptrdiff_t>(blockSamples - filling_.size());
        const double* stop = next + std::min(room, end - next);
        filling_.insert(filling_.end(), next, stop);
        next = stop;
        if (filling_.size() == blockSamples)
            completeBlock();
    }
    emitReadyBlocks(false, out);
}

void AutomaticVolumeControl::flush(std::vector<double>& out)
{
    if (!filling_.empty())
        completeBlock();
    emitReadyBlocks(true, out);
}

void AutomaticVolumeControl::completeBlock()
{
    asks_.push_back(askOf(filling_));
    ++completedBlocks_;
    held_.push_back(std::move(filling_));
    filling_ = {};
    filling_.reserve(static_cast<std::size_t>(blockFrames_ * format_.channels));
}

AutomaticVolumeControl::BlockAsk AutomaticVolumeControl::askOf(const std::vector<double>& block) const
{
    const double peak = peakOf(block);
    BlockAsk ask{std::nullopt, peak > 0.0 ? peakLimit_ / peak : std::numeric_limits<double>::infinity()};
    if (meter_) {
        const auto frames = static_cast<std::int64_t>(block.size()) / format_.channels;
        meter_->add(block.data(), frames);
        const auto loudness = meter_->windowLoudness(static_cast<unsigned>(frames * 1000 / format_.sampleRate));
        if (loudness && *loudness > loudnessTarget_ - kPauseDepthDb)
            ask.levelGain = std::min(std::pow(10.0, (loudnessTarget_ - *loudness) / 20.0), kMostGain);
    } else if (peak > peakLimit_ * std::pow(10.0, -kPauseDepthDb / 20.0)) {
        ask.levelGain = std::min(ask.peakBound, kMostGain);
    }
    return ask;
}

double AutomaticVolumeControl::gainAround(std::int64_t block) const
{
    const std::int64_t from = std::max(block - kMinimumRadius, firstAsk_);
    const std::int64_t to = std::min(block + kMinimumRadius, completedBlocks_ - 1);
    std::optional<double> levelGain;
    double peakBound = std::numeric_limits<double>::infinity();
    for (std::int64_t index = from; index <= to; ++index) {
        const BlockAsk& ask = asks_[static_cast<std::size_t>(index - firstAsk_)];
        if (ask.levelGain)
            levelGain = std::min(levelGain.value_or(kMostGain), *ask.levelGain);
        peakBound = std::min(peakBound, ask.peakBound);
    }
    return std::min(levelGain.value_or(1.0), peakBound);
}

double AutomaticVolumeControl::smoothedGain(std::int64_t block) const
{
    double weighted = 0.0;
    double weights = 0.0;
    const std::int64_t from = std::max<std::int64_t>(block - kSmoothingRadius, 0);
    const std::int64_t to = std::min(block + kSmoothingRadius, completedBlocks_ - 1);
    for (std::int64_t index = from; index <= to; ++index) {
        const double weight = kernel_[static_cast<std::size_t>(std::abs(index - block))];
        weighted += weight * gainAround(index);
        weights += weight;
    }
    return weighted / weights;
}

void AutomaticVolumeControl::emitReadyBlocks(bool streamEnded, std::vector<double>& out)
{
    // A block goes out once the asks that shape the curve up to the next block are all known.
    while (!held_.empty()) {
        const std::int64_t block = nextBlock_;
        if (!streamEnded && block + 1 + kSmoothingRadius + kMinimumRadius >= completedBlocks_)
            break;
        const double startGain = smoothedGain(block);
        const double endGain = block + 1 < completedBlocks_ ? smoothedGain(block + 1) : startGain;
        const std::vector<double>& samples = held_.front();
        const auto frames = static_cast<std::int64_t>(samples.size()) / format_.channels;
        for (std::int64_t frame = 0; frame < frames; ++frame) {
            const double gain = startGain + (endGain - startGain) * static_cast<double>(frame) /
                                                static_cast<double>(blockFrames_);
            for (int channel = 0; channel < format_.channels; ++channel)
                out.push_back(samples[static_cast<std::size_t>(frame * format_.channels + channel)] * gain);
        }
        held_.pop_front();
        ++nextBlock_;
        // Blocks before the reach of the next block's curve are no longer needed.
        while (firstAsk_ < nextBlock_ - kSmoothingRadius - kMinimumRadius) {
            asks_.pop_front();
            ++firstAsk_;
        }
    }
}

} // namespace sonvale::effects
