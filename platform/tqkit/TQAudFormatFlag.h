#pragma once

// Output formats as single bits (a set of formats is their OR) and the stored choice of the Format
// page: text setting "TQAudFormatPanelController" / "FormatSelected", the flag as decimal text.

#include <cstdint>

enum TQAudFormatFlag : int32_t {
    kTQAudFormatMP3 = 1,
    kTQAudFormatWAV = 2,
    kTQAudFormatM4A = 4,
    kTQAudFormatAIFF = 8,
    kTQAudFormatFLAC = 16,
};

// The formats the Format page offers (MP3 and M4A) and its default.
constexpr int32_t kTQAudFormatsOffered = kTQAudFormatMP3 | kTQAudFormatM4A;
constexpr int32_t kTQAudFormatDefault = kTQAudFormatM4A;

// The stored choice as written: 0 when nothing was ever chosen. No default is applied and the value
// is not checked against the offered formats (a stored 16 reads as 16). Behind
// TQAudFormatPanelController::selectedFormat().
int TQAudFormatSelectedRead();
// Stores the choice as decimal text.
void TQAudFormatSelectedWrite(int format);
