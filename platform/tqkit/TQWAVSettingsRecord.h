#pragma once

// The WAV encoder options, edited by the WAV options panel. Stored whole; safe from any thread.

#include <cstdint>

// Codec codes shared by the WAV and AIFF records: one code stands for one codec in both.
enum TQPCMCodec : int32_t {
    kTQPCMCodecAutomatic = 0,       // chosen by the source's bit depth
    kTQPCMCodecPCM8 = 1,            // AIFF "PCM 8 Bit"
    kTQPCMCodecPCM8Unsigned = 2,    // WAV "PCM 8 Bit", AIFF "PCM 8 Bit Unsigned"
    kTQPCMCodecPCM16LE = 3,         // WAV "PCM 16 Bit", AIFF "PCM 16 Bit Little Endian"
    kTQPCMCodecPCM16BE = 4,         // AIFF "PCM 16 Bit"
    kTQPCMCodecPCM24LE = 7,         // WAV "PCM 24 Bit"
    kTQPCMCodecPCM24BE = 8,         // AIFF "PCM 24 Bit"
    kTQPCMCodecPCM32LE = 11,        // WAV "PCM 32 Bit"
    kTQPCMCodecPCM32BE = 12,        // AIFF "PCM 32 Bit"
    kTQPCMCodecALaw = 15,           // "G.711 A-Law"
    kTQPCMCodecMuLaw = 16,          // "G.711 μ-Law"
    kTQPCMCodecFloat32LE = 17,      // WAV "PCM 32 Bit Floating Point"
    kTQPCMCodecFloat32BE = 18,      // AIFF "PCM 32 Bit Floating Point"
    kTQPCMCodecGSMMicrosoft = 19,   // WAV "GSM 6.10 / Microsoft Variant" (mono only)
    kTQPCMCodecADPCMIMAWAV = 24,    // WAV "ADPCM IMA"
    kTQPCMCodecADPCMIMAQuickTime = 25, // AIFF "ADPCM IMA QuickTime"
    kTQPCMCodecADPCMMicrosoft = 26, // WAV "ADPCM Microsoft"
};

// The highest sample rate the WAV and AIFF records accept, in Hz.
constexpr int32_t kTQPCMMaxSampleRate = 768000;

struct TQWAVSettingsRecord {
    int32_t codec = kTQPCMCodecAutomatic; // TQPCMCodec of the WAV list
    int32_t sampleRate = 0;               // Hz; 0 = as the source
    uint8_t channels = 0;                 // 0 as the source, 1 mono, 2 stereo
    int32_t tagsFormat = 0; // 4 ID3v2.3, 2 ID3v2.4, 3 ID3v2.3 + Info, 0 ID3v2.4 + Info, 1 Info only

    bool operator==(const TQWAVSettingsRecord&) const = default;
};

void TQKitWAVSettingsLoad(TQWAVSettingsRecord* record);
void TQKitWAVSettingsSave(const TQWAVSettingsRecord* record);
void TQKitWAVSettingsReset();
