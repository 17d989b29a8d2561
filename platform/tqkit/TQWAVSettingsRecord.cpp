#include "platform/tqkit/TQWAVSettingsRecord.h"

#include "platform/tqkit/TQKitStoredRecord.h"

namespace {

constexpr const char* kName = "WAV";

} // namespace

void TQKitWAVSettingsLoad(TQWAVSettingsRecord* record)
{
    if (!record)
        return;
    const TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    const TQWAVSettingsRecord defaults;
    record->codec = stored.integerOf(
        "codec", defaults.codec,
        {kTQPCMCodecAutomatic, kTQPCMCodecPCM8Unsigned, kTQPCMCodecPCM16LE, kTQPCMCodecPCM24LE,
         kTQPCMCodecPCM32LE, kTQPCMCodecFloat32LE, kTQPCMCodecALaw, kTQPCMCodecMuLaw,
         kTQPCMCodecADPCMIMAWAV, kTQPCMCodecADPCMMicrosoft, kTQPCMCodecGSMMicrosoft});
    record->sampleRate = stored.integerIn("sampleRate", defaults.sampleRate, 0, kTQPCMMaxSampleRate);
    record->channels = static_cast<uint8_t>(stored.integerIn("channels", defaults.channels, 0, 2));
    record->tagsFormat = stored.integerIn("tagsFormat", defaults.tagsFormat, 0, 4);
}

void TQKitWAVSettingsSave(const TQWAVSettingsRecord* record)
{
    if (!record)
        return;
    TQKitStoredRecord stored;
    stored.set("codec", record->codec);
    stored.set("sampleRate", record->sampleRate);
    stored.set("channels", int32_t{record->channels});
    stored.set("tagsFormat", record->tagsFormat);
    stored.save(kName);
}

void TQKitWAVSettingsReset() { TQKitStoredRecord::remove(kName); }
