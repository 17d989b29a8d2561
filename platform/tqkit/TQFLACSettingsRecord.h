#pragma once

// The FLAC encoder options, edited by the FLAC options panel. Stored whole; safe from any thread.

#include <cstdint>

struct TQFLACSettingsRecord {
    int32_t sampleRate = 0;       // Hz; 0 = as the source
    uint8_t channels = 0;         // 0 as the source, 1 mono, 2 stereo
    int32_t compressionLevel = 2; // 1 low, 2 medium, 3 high
    int32_t sampleSize = 0;       // bit depth: 0 as the source, 1 8-bit, 2 16-bit, 3 24-bit
    int32_t retainedValue = 0;    // kept as loaded by the panel; not interpreted by the application
    int32_t tagsFormat = 0;       // 0 Vorbis only, 2 Vorbis + ID3v2.3, 1 Vorbis + ID3v2.4

    bool operator==(const TQFLACSettingsRecord&) const = default;
};

void TQKitFLACSettingsLoad(TQFLACSettingsRecord* record);
void TQKitFLACSettingsSave(const TQFLACSettingsRecord* record);
void TQKitFLACSettingsReset();
