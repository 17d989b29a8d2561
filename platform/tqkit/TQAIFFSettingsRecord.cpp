#include "platform/tqkit/TQAIFFSettingsRecord.h"

#include "platform/tqkit/TQKitStoredRecord.h"

namespace {

constexpr const char* kName = "AIFF";

} // namespace

void TQKitAIFFSettingsLoad(TQAIFFSettingsRecord* record)
{
    if (!record)
        return;
    const TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    const TQAIFFSettingsRecord defaults;
    record->codec = stored.integerOf(
        "codec", defaults.codec,
        {kTQPCMCodecAutomatic, kTQPCMCodecPCM8, kTQPCMCodecPCM16BE, kTQPCMCodecPCM24BE,
         kTQPCMCodecPCM32BE, kTQPCMCodecFloat32BE, kTQPCMCodecPCM8Unsigned, kTQPCMCodecPCM16LE,
         kTQPCMCodecALaw, kTQPCMCodecMuLaw, kTQPCMCodecADPCMIMAQuickTime});
    record->sampleRate = stored.integerIn("sampleRate", defaults.sampleRate, 0, kTQPCMMaxSampleRate);
    record->channels = static_cast<uint8_t>(stored.integerIn("channels", defaults.channels, 0, 2));
}

void TQKitAIFFSettingsSave(const TQAIFFSettingsRecord* record)
{
    if (!record)
        return;
    TQKitStoredRecord stored;
    stored.set("codec", record->codec);
    stored.set("sampleRate", record->sampleRate);
    stored.set("channels", int32_t{record->channels});
    stored.save(kName);
}

void TQKitAIFFSettingsReset() { TQKitStoredRecord::remove(kName); }
