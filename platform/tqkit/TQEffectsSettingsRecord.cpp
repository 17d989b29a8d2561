#include "platform/tqkit/TQEffectsSettingsRecord.h"

#include "platform/tqkit/TQKitStoredRecord.h"

namespace {

constexpr const char* kName = "Effects";
constexpr int32_t kLongestDurationMs = 24 * 3600 * 1000;

} // namespace

void TQKitEffectsSettingsLoad(TQEffectsSettingsRecord* record, double defaultPeakTargetLevel,
                              double defaultR128TargetLevel)
{
    if (!record)
        return;
    const TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    const TQEffectsSettingsRecord defaults;
    record->normalize = stored.flag("normalize", defaults.normalize);
    record->normalizationMethod =
        stored.integerOf("normalizationMethod", defaults.normalizationMethod,
                         {kTQNormalizationPeak, kTQNormalizationLoudness});
    // A peak target is a positive share of full scale, at most all of it.
    record->peakTargetLevel =
        stored.realIn("peakTargetLevel", defaultPeakTargetLevel, 1e-6, 100.0);
    record->r128TargetLevel = stored.realIn("r128TargetLevel", defaultR128TargetLevel, -70.0, 0.0);
    record->automaticVolumeControl =
        stored.flag("automaticVolumeControl", defaults.automaticVolumeControl);
    record->fadeIn = stored.flag("fadeIn", defaults.fadeIn);
    record->fadeInDuration =
        stored.integerIn("fadeInDuration", defaults.fadeInDuration, 0, kLongestDurationMs);
    record->fadeOut = stored.flag("fadeOut", defaults.fadeOut);
    record->fadeOutDuration =
        stored.integerIn("fadeOutDuration", defaults.fadeOutDuration, 0, kLongestDurationMs);
    record->limitDuration = stored.flag("limitDuration", defaults.limitDuration);
    record->limitDurationValue =
        stored.integerIn("limitDurationValue", defaults.limitDurationValue, 0, kLongestDurationMs);
    record->trimSilence = stored.flag("trimSilence", defaults.trimSilence);
    record->trimSilenceThreshold =
        stored.realIn("trimSilenceThreshold", defaults.trimSilenceThreshold, -200.0, 0.0);
}

void TQKitEffectsSettingsSave(const TQEffectsSettingsRecord* record)
{
    if (!record)
        return;
    TQKitStoredRecord stored;
    stored.set("normalize", record->normalize);
    stored.set("normalizationMethod", record->normalizationMethod);
    stored.set("peakTargetLevel", record->peakTargetLevel);
    stored.set("r128TargetLevel", record->r128TargetLevel);
    stored.set("automaticVolumeControl", record->automaticVolumeControl);
    stored.set("fadeIn", record->fadeIn);
    stored.set("fadeInDuration", record->fadeInDuration);
    stored.set("fadeOut", record->fadeOut);
    stored.set("fadeOutDuration", record->fadeOutDuration);
    stored.set("limitDuration", record->limitDuration);
    stored.set("limitDurationValue", record->limitDurationValue);
    stored.set("trimSilence", record->trimSilence);
    stored.set("trimSilenceThreshold", record->trimSilenceThreshold);
    stored.save(kName);
}

void TQKitEffectsSettingsReset() { TQKitStoredRecord::remove(kName); }
