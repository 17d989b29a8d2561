#pragma once

#include "platform/engine/effects/SilenceProfile.h"

#include <cstdint>
#include <optional>

namespace sonvale::effects {

// What the analysis pass learns about a whole stream before it is rendered.
struct EffectsAnalysis {
    std::int64_t frames = 0;
    double samplePeak = 0.0; // amplitude, 1 is full scale
    double truePeak = 0.0;   // amplitude, 4x oversampled; only measured for loudness normalization
    std::optional<double> integratedLufs; // only for loudness normalization; none for silence
    SilenceProfile silence;
};

} // namespace sonvale::effects
