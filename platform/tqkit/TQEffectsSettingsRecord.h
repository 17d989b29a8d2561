#pragma once

// The audio effects every batch applies, edited by the Effects page and mapped into each batch's
// TQTaskInfoRecord. Stored whole; safe from any thread.

#include <cstdint>

enum TQNormalizationMethod : int32_t {
    kTQNormalizationPeak = 0,
    kTQNormalizationLoudness = 3, // EBU R128
};

struct TQEffectsSettingsRecord {
    bool normalize = false;
    int32_t normalizationMethod = kTQNormalizationPeak; // 0 peak, 3 loudness (EBU R128)
    double peakTargetLevel = 100.0;   // percent of full scale; 100.0 is 0 dBFS
    double r128TargetLevel = -18.0;   // LUFS
    bool automaticVolumeControl = false;
    bool fadeIn = false;
    int32_t fadeInDuration = 0;       // milliseconds
    bool fadeOut = false;
    int32_t fadeOutDuration = 0;      // milliseconds
    bool limitDuration = false;
    int32_t limitDurationValue = 0;   // milliseconds
    bool trimSilence = false;
    double trimSilenceThreshold = 0.0; // dBFS

    bool operator==(const TQEffectsSettingsRecord&) const = default;
};

// Fills the record with the stored effects; the two targets fall back to the given defaults when
// nothing valid is stored, every other field to its member initialiser.
void TQKitEffectsSettingsLoad(TQEffectsSettingsRecord* record, double defaultPeakTargetLevel,
                              double defaultR128TargetLevel);
void TQKitEffectsSettingsSave(const TQEffectsSettingsRecord* record);
void TQKitEffectsSettingsReset();
