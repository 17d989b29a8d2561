#pragma once

#include "platform/engine/effects/EffectsAnalysis.h"
#include "platform/engine/effects/EffectsSettings.h"
#include "platform/engine/effects/FloatAudioFormat.h"

#include <cstdint>
#include <optional>

namespace sonvale::effects {

// The highest peak that loudness normalization and automatic volume control let through: -1 dBFS,
// which leaves room for the peaks between samples and for the overshoot of lossy encoders.
inline constexpr double kPeakCeiling = 0.8912509381337456;

// What the render pass does to one stream, worked out from the settings and, where they need the
// whole stream, from its analysis. Frame counts are at the stream's own sample rate.
struct EffectsPlan {
    double staticGain = 1.0; // amplitude factor of normalization
    bool limitPeaks = false; // a lookahead limiter holds the gained peaks at kPeakCeiling
    std::int64_t firstFrame = 0;              // first input frame that is rendered
    std::optional<std::int64_t> outputFrames; // how many frames the render writes; none: all that come
    std::int64_t fadeInFrames = 0;
    std::int64_t fadeOutFrames = 0;           // the fade ends with the last output frame

    // analysis is null when the stream has had no analysis pass; totalFrames is its length when the
    // caller knows it exactly (the analysis' count takes precedence).
    static EffectsPlan make(const EffectsSettings& settings, const FloatAudioFormat& format,
                            const EffectsAnalysis* analysis, std::optional<std::int64_t> totalFrames);

    // The fade gain (0..1, linear ramps) of one output frame.
    double envelopeAt(std::int64_t outputFrame) const;
    bool hasEnvelope() const { return fadeInFrames > 0 || fadeOutFrames > 0; }
};

} // namespace sonvale::effects
