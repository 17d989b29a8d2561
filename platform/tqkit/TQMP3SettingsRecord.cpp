#include "platform/tqkit/TQMP3SettingsRecord.h"

#include "platform/tqkit/TQKitEncoderRules.h"
#include "platform/tqkit/TQKitStoredRecord.h"

namespace {

constexpr const char* kName = "MP3";

// A bit rate the encoder accepts, or the field's default.
int32_t bitRate(const TQKitStoredRecord& stored, const char* field, int32_t fallback, bool autoAllowed)
{
    const int32_t value = stored.integerIn(field, fallback, 0, 320);
    return (value == 0 && autoAllowed) || TQKitMP3IsBitRate(value) ? value : fallback;
}

} // namespace

void TQKitMP3SettingsLoad(TQMP3SettingsRecord* record)
{
    if (!record)
        return;
    const TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    const TQMP3SettingsRecord defaults;
    record->cbr = stored.flag("cbr", defaults.cbr);
    record->cbrBitRate = bitRate(stored, "cbrBitRate", defaults.cbrBitRate, true);
    record->cbrHighQuality = stored.flag("cbrHighQuality", defaults.cbrHighQuality);
    record->vbrMinBitRate = bitRate(stored, "vbrMinBitRate", defaults.vbrMinBitRate, false);
    record->vbrMaxBitRate = bitRate(stored, "vbrMaxBitRate", defaults.vbrMaxBitRate, false);
    record->vbrQuality = static_cast<uint8_t>(stored.integerIn("vbrQuality", defaults.vbrQuality, 0, 9));
    record->useCRC = stored.flag("useCRC", defaults.useCRC);
    record->channelMode = stored.integerIn("channelMode", defaults.channelMode, 0, 4);
    const int32_t sampleRate = stored.integerIn("sampleRate", defaults.sampleRate, 0, 48000);
    record->sampleRate =
        sampleRate == 0 || TQKitMP3IsSampleRate(sampleRate) ? sampleRate : defaults.sampleRate;
    record->metadataFormat = stored.integerIn("metadataFormat", defaults.metadataFormat, 0, 3);
}

void TQKitMP3SettingsSave(const TQMP3SettingsRecord* record)
{
    if (!record)
        return;
    TQKitStoredRecord stored;
    stored.set("cbr", record->cbr);
    stored.set("cbrBitRate", record->cbrBitRate);
    stored.set("cbrHighQuality", record->cbrHighQuality);
    stored.set("vbrMinBitRate", record->vbrMinBitRate);
    stored.set("vbrMaxBitRate", record->vbrMaxBitRate);
    stored.set("vbrQuality", int32_t{record->vbrQuality});
    stored.set("useCRC", record->useCRC);
    stored.set("channelMode", record->channelMode);
    stored.set("sampleRate", record->sampleRate);
    stored.set("metadataFormat", record->metadataFormat);
    stored.save(kName);
}

void TQKitMP3SettingsReset() { TQKitStoredRecord::remove(kName); }

bool TQKitMP3SettingsChanged(const TQMP3SettingsRecord* record)
{
    if (!record)
        return false;
    TQMP3SettingsRecord stored;
    TQKitMP3SettingsLoad(&stored);
    return !(stored == *record);
}
