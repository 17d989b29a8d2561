#include "platform/engine/effects/EffectsAnalyzer.h"

#include "platform/engine/effects/EbuR128Meter.h"

#include <algorithm>
#include <cmath>

namespace sonvale::effects {

std::unique_ptr<EffectsAnalyzer> EffectsAnalyzer::create(const FloatAudioFormat& format, bool measureLoudness)
{
    std::unique_ptr<EbuR128Meter> loudness;
    if (measureLoudness) {
        loudness = EbuR128Meter::create(format, EbuR128Meter::IntegratedLoudness | EbuR128Meter::TruePeak);
        if (!loudness)
            return nullptr;
    }
    return std::unique_ptr<EffectsAnalyzer>(new EffectsAnalyzer(format.channels, std::move(loudness)));
}

EffectsAnalyzer::EffectsAnalyzer(int channels, std::unique_ptr<EbuR128Meter> loudness)
    : channels_(channels), loudness_(std::move(loudness))
{
}

EffectsAnalyzer::~EffectsAnalyzer() = default;

void EffectsAnalyzer::add(const double* frames, std::int64_t frameCount)
{
    double streamPeak = analysis_.samplePeak;
    for (std::int64_t frame = 0; frame < frameCount; ++frame) {
        const double* samples = frames + frame * channels_;
        double framePeak = 0.0;
        for (int channel = 0; channel < channels_; ++channel)
            framePeak = std::max(framePeak, std::fabs(samples[channel]));
        analysis_.silence.addFrame(analysis_.frames + frame, static_cast<float>(framePeak));
        streamPeak = std::max(streamPeak, framePeak);
    }
    analysis_.samplePeak = streamPeak;
    analysis_.frames += frameCount;
    if (loudness_)
        loudness_->add(frames, frameCount);
}

const EffectsAnalysis& EffectsAnalyzer::finish()
{
    if (loudness_) {
        analysis_.integratedLufs = loudness_->integratedLoudness();
        analysis_.truePeak = loudness_->truePeak();
    }
    return analysis_;
}

} // namespace sonvale::effects
