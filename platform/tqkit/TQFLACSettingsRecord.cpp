#include "platform/tqkit/TQFLACSettingsRecord.h"

#include "platform/tqkit/TQKitStoredRecord.h"

#include <limits>

namespace {

constexpr const char* kName = "FLAC";
constexpr int32_t kFLACMaxSampleRate = 655350; // the largest rate a FLAC stream header can state

} // namespace

void TQKitFLACSettingsLoad(TQFLACSettingsRecord* record)
{
    if (!record)
        return;
    const TQKitStoredRecord stored = TQKitStoredRecord::load(kName);
    const TQFLACSettingsRecord defaults;
    record->sampleRate = stored.integerIn("sampleRate", defaults.sampleRate, 0, kFLACMaxSampleRate);
    record->channels = static_cast<uint8_t>(stored.integerIn("channels", defaults.channels, 0, 2));
    record->compressionLevel =
        stored.integerIn("compressionLevel", defaults.compressionLevel, 1, 3);
    record->sampleSize = stored.integerIn("sampleSize", defaults.sampleSize, 0, 3);
    record->retainedValue =
        stored.integerIn("retainedValue", defaults.retainedValue,
                         std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    record->tagsFormat = stored.integerIn("tagsFormat", defaults.tagsFormat, 0, 2);
}

void TQKitFLACSettingsSave(const TQFLACSettingsRecord* record)
{
    if (!record)
        return;
    TQKitStoredRecord stored;
    stored.set("sampleRate", record->sampleRate);
    stored.set("channels", int32_t{record->channels});
    stored.set("compressionLevel", record->compressionLevel);
    stored.set("sampleSize", record->sampleSize);
    stored.set("retainedValue", record->retainedValue);
    stored.set("tagsFormat", record->tagsFormat);
    stored.save(kName);
}

void TQKitFLACSettingsReset() { TQKitStoredRecord::remove(kName); }
