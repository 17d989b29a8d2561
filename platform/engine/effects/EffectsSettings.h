#pragma once

#include "platform/engine/effects/FloatAudioFormat.h"
#include "platform/system/Status.h"

#include <cstdint>

namespace sonvale::effects {

enum class NormalizationMethod {
    Off,
    Peak,     // static gain that brings the highest sample peak to the peak target
    Loudness, // static gain that brings the EBU R128 integrated loudness to the loudness target
};

// What one conversion applies to its audio, filled by the engine from the batch's settings record.
// Every duration is in milliseconds and 0 switches that effect off.
struct EffectsSettings {
    NormalizationMethod normalization = NormalizationMethod::Off;
    double peakTargetPercent = 100.0;  // percent of full scale: 100 is 0 dBFS; used by Peak
    double loudnessTargetLufs = -18.0; // LUFS (integrated, EBU R128); used by Loudness
    // Evens out loud and soft passages around the normalization target. It needs a target, so it
    // is honoured only together with normalization (the settings record carries it that way too).
    bool automaticVolumeControl = false;
    std::int32_t fadeInMs = 0;
    std::int32_t fadeOutMs = 0;        // ends where the output ends, at the duration limit if any
    std::int32_t durationLimitMs = 0;  // longest output, counted after silence trimming
    bool trimSilence = false;          // at the start and the end only; pauses inside stay
    double silenceThresholdDbfs = -40.0; // dBFS, compared with the level after normalization

    // The method of the settings record: its method code (0 peak, 3 loudness) is also 0 when
    // normalization is off, which the record tells apart by setting both targets to 0.
    static NormalizationMethod methodFromRecord(std::int32_t methodCode, double peakTargetPercent,
                                                double loudnessTargetLufs);

    // A clear error for values no conversion can honour (a non-positive peak target, a negative
    // duration, a format without frames ...).
    Status validate(const FloatAudioFormat& format) const;
};

} // namespace sonvale::effects
