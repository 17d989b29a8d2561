#pragma once

// The AIFF encoder options, edited by the AIFF options panel. Stored whole; safe from any thread.

#include "platform/tqkit/TQWAVSettingsRecord.h" // TQPCMCodec, shared with WAV

#include <cstdint>

struct TQAIFFSettingsRecord {
    int32_t codec = kTQPCMCodecAutomatic; // TQPCMCodec of the AIFF list
    int32_t sampleRate = 0;               // Hz; 0 = as the source
    uint8_t channels = 0;                 // 0 as the source, 1 mono, 2 stereo

    bool operator==(const TQAIFFSettingsRecord&) const = default;
};

void TQKitAIFFSettingsLoad(TQAIFFSettingsRecord* record);
void TQKitAIFFSettingsSave(const TQAIFFSettingsRecord* record);
void TQKitAIFFSettingsReset();
