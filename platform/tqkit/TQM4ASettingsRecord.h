#pragma once

// The MPEG-4 audio encoder options, edited by the M4A options panel and copied whole into a
// batch's TQTaskInfoRecord when M4A is the chosen output format. Stored whole; safe from any thread.

#include <cstdint>

// Codec codes of TQM4ASettingsRecord::codec.
enum TQM4ACodec : int32_t {
    kTQM4ACodecAACLC = 37,
    kTQM4ACodecAACHEv1 = 41,
    kTQM4ACodecAACHEv2 = 42,
    kTQM4ACodecALAC = 43,
};

struct TQM4ASettingsRecord {
    int32_t codec = kTQM4ACodecAACLC; // 37 AAC LC, 41 AAC HE v1, 42 AAC HE v2, 43 ALAC
    int32_t sampleRate = 0;  // 0 as source, else Hz: 8000, 11025, 16000, 22050, 32000, 44100,
                             // 48000, 96000, 192000, 384000
    uint8_t channels = 0;    // 0 as source, 1 mono, 2 stereo
    int32_t bitRate = 256;   // kbps; 0 = Auto
    int32_t quality = 3;     // 1 Low, 2 Medium, 3 High: VBR quality (AAC), compression (ALAC)
    int32_t bitRateMode = 2; // 1 Constant, 2 Average, 4 Variable
    int32_t sampleSize = 0;  // bit depth: 0 as source, 2 16-bit, 3 24-bit, 4 32-bit
    int32_t extension = 0;   // 0 "m4a", 3 "mp4", 2 "m4r", 1 "m4b"

    bool operator==(const TQM4ASettingsRecord&) const = default;
};

// Fills the whole record (no preset needed); a stored value its field does not allow loads as the
// field's default.
void TQKitM4ASettingsLoad(TQM4ASettingsRecord* record);
void TQKitM4ASettingsSave(const TQM4ASettingsRecord* record);
void TQKitM4ASettingsReset();
