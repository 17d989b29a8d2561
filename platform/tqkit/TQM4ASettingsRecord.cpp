#include "platform/tqkit/TQM4ASettingsRecord.h"

#include "platform/tqkit/TQKitStoredRecord.h"

namespace {

constexpr const char* kName = "M4A";

} // namespace

void TQKitM4ASettingsLoad(TQM4ASettingsRecord* record)
{
    if (!record)
        return;
    const TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    const TQM4ASettingsRecord defaults;
    record->codec = stored.integerOf("codec", defaults.codec,
                                     {kTQM4ACodecAACLC, kTQM4ACodecAACHEv1, kTQM4ACodecAACHEv2,
                                      kTQM4ACodecALAC});
    record->sampleRate = stored.integerOf(
        "sampleRate", defaults.sampleRate,
        {0, 8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000, 192000, 384000});
    record->channels = static_cast<uint8_t>(stored.integerIn("channels", defaults.channels, 0, 2));
    record->bitRate = stored.integerIn("bitRate", defaults.bitRate, 0, 1536);
    record->quality = stored.integerIn("quality", defaults.quality, 1, 3);
    record->bitRateMode = stored.integerOf("bitRateMode", defaults.bitRateMode, {1, 2, 4});
    record->sampleSize = stored.integerOf("sampleSize", defaults.sampleSize, {0, 2, 3, 4});
    record->extension = stored.integerIn("extension", defaults.extension, 0, 3);
}

void TQKitM4ASettingsSave(const TQM4ASettingsRecord* record)
{
    if (!record)
        return;
    TQKitStoredRecord stored;
    stored.set("codec", record->codec);
    stored.set("sampleRate", record->sampleRate);
    stored.set("channels", int32_t{record->channels});
    stored.set("bitRate", record->bitRate);
    stored.set("quality", record->quality);
    stored.set("bitRateMode", record->bitRateMode);
    stored.set("sampleSize", record->sampleSize);
    stored.set("extension", record->extension);
    stored.save(kName);
}

void TQKitM4ASettingsReset() { TQKitStoredRecord::remove(kName); }
