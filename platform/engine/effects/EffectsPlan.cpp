#include "platform/engine/effects/EffectsPlan.h"

#include <algorithm>
#include <cmath>

namespace sonvale::effects {

namespace {

std::int64_t framesOf(std::int32_t ms, const FloatAudioFormat& format)
{
    return std::llround(static_cast<double>(ms) * format.sampleRate / 1000.0);
}

double normalizationGain(const EffectsSettings& settings, const EffectsAnalysis& analysis)
{
    switch (settings.normalization) {
    case NormalizationMethod::Off:
        break;
    case NormalizationMethod::Peak:
        if (analysis.samplePeak > 0.0)
            return settings.peakTargetPercent / 100.0 / analysis.samplePeak;
        break;
    case NormalizationMethod::Loudness:
        // Silence and streams shorter than one gating block have no loudness to adjust.
        if (analysis.integratedLufs)
            return std::pow(10.0, (settings.loudnessTargetLufs - *analysis.integratedLufs) / 20.0);
        break;
    }
    return 1.0;
}

} // namespace

EffectsPlan EffectsPlan::make(const EffectsSettings& settings, const FloatAudioFormat& format,
                              const EffectsAnalysis* analysis, std::optional<std::int64_t> totalFrames)
{
    EffectsPlan plan;
    std::optional<std::int64_t> length = totalFrames;
    if (analysis) {
        length = analysis->frames;
        plan.staticGain = normalizationGain(settings, *analysis);
        // Automatic volume control keeps its own peaks under the ceiling; a plain loudness gain
        // needs the limiter only when it would push the true peak over it.
        plan.limitPeaks = settings.normalization == NormalizationMethod::Loudness &&
                          !settings.automaticVolumeControl &&
                          analysis->truePeak * plan.staticGain > kPeakCeiling;
        if (settings.trimSilence) {
            // The threshold applies to the normalized level. A stream that is silent throughout
            // is kept whole rather than turned into nothing.
            const double threshold = std::pow(10.0, settings.silenceThresholdDbfs / 20.0) / plan.staticGain;
            if (const auto audible = analysis->silence.audibleRange(threshold)) {
                plan.firstFrame = audible->first;
                length = audible->last - audible->first + 1;
            }
        }
    }
    if (settings.durationLimitMs > 0) {
        const std::int64_t limit = framesOf(settings.durationLimitMs, format);
        length = length ? std::min(*length, limit) : limit;
    }
    plan.outputFrames = length;
    plan.fadeInFrames = framesOf(settings.fadeInMs, format);
    if (length)
        plan.fadeOutFrames = framesOf(settings.fadeOutMs, format);
    return plan;
}

double EffectsPlan::envelopeAt(std::int64_t outputFrame) const
{
    double gain = 1.0;
    if (outputFrame < fadeInFrames)
        gain *= static_cast<double>(outputFrame) / static_cast<double>(fadeInFrames);
    if (fadeOutFrames > 0 && outputFrames) {
        const std::int64_t framesAfter = *outputFrames - 1 - outputFrame;
        if (framesAfter < fadeOutFrames)
            gain *= static_cast<double>(std::max<std::int64_t>(framesAfter, 0)) /
                    static_cast<double>(fadeOutFrames);
    }
    return gain;
}

} // namespace sonvale::effects
