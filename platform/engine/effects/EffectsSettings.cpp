#include "platform/engine/effects/EffectsSettings.h"

#include <cmath>
#include <string>

namespace sonvale::effects {

namespace {

constexpr std::int32_t kLoudnessMethodCode = 3;
constexpr int kMostChannels = 64;

} // namespace

NormalizationMethod EffectsSettings::methodFromRecord(std::int32_t methodCode, double peakTargetPercent,
                                                      double loudnessTargetLufs)
{
    if (peakTargetPercent == 0.0 && loudnessTargetLufs == 0.0)
        return NormalizationMethod::Off;
    // Codes other than loudness read as peak, as the Effects page shows them.
    return methodCode == kLoudnessMethodCode ? NormalizationMethod::Loudness : NormalizationMethod::Peak;
}

Status EffectsSettings::validate(const FloatAudioFormat& format) const
{
    if (format.sampleRate <= 0)
        return Status::failure("The sample rate " + std::to_string(format.sampleRate) + " is not valid.");
    if (format.channels <= 0 || format.channels > kMostChannels)
        return Status::failure("Audio with " + std::to_string(format.channels) +
                               " channels cannot be processed.");
    if (normalization == NormalizationMethod::Peak &&
        !(std::isfinite(peakTargetPercent) && peakTargetPercent > 0.0 && peakTargetPercent <= 100.0))
        return Status::failure("The peak target must lie above 0 and at most 100 percent of full scale.");
    if (normalization == NormalizationMethod::Loudness &&
        !(std::isfinite(loudnessTargetLufs) && loudnessTargetLufs <= 0.0))
        return Status::failure("The loudness target must be a level of 0 LUFS or below.");
    if (fadeInMs < 0 || fadeOutMs < 0 || durationLimitMs < 0)
        return Status::failure("Fade and duration limit lengths cannot be negative.");
    if (trimSilence && !std::isfinite(silenceThresholdDbfs))
        return Status::failure("The silence threshold must be a level in dBFS.");
    return Status::success();
}

} // namespace sonvale::effects
