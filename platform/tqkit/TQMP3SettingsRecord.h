#pragma once

// The MP3 encoder options, edited by the MP3 options panel and copied whole into a batch's
// TQTaskInfoRecord when MP3 is the chosen output format. Stored whole; safe from any thread.

#include <cstdint>

struct TQMP3SettingsRecord {
    bool cbr = false;            // 1 constant bit rate (CBR), 0 variable bit rate (VBR)
    int32_t cbrBitRate = 0;      // CBR bit rate in kbps; 0 = Auto
    bool cbrHighQuality = false; // CBR at higher quality and lower speed
    int32_t vbrMinBitRate = 64;  // lowest VBR bit rate in kbps
    int32_t vbrMaxBitRate = 320; // highest VBR bit rate in kbps
    uint8_t vbrQuality = 2;      // 0 best quality ... 9 best speed
    bool useCRC = false;         // CRC error protection in every frame
    int32_t channelMode = 4;     // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono, 4 as source
    int32_t sampleRate = 0;      // Hz; 0 = as the source
    int32_t metadataFormat = 1;  // 3 ID3v2.3, 1 ID3v2.4, 2 ID3v2.3 + ID3v1, 0 ID3v2.4 + ID3v1

    bool operator==(const TQMP3SettingsRecord&) const = default;
};

// Fills the record with the stored options; a stored value its field does not allow (a damaged
// file, an older version) loads as the field's default.
void TQKitMP3SettingsLoad(TQMP3SettingsRecord* record);
void TQKitMP3SettingsSave(const TQMP3SettingsRecord* record);
// Restores the stored options to their defaults (the member initialisers above).
void TQKitMP3SettingsReset();
// True when the record differs from the stored options.
bool TQKitMP3SettingsChanged(const TQMP3SettingsRecord* record);
