#pragma once

// What the encoders behind the output formats really accept, for the format panels (which offer
// and fit values with these rules) and the settings records (which reject stored values outside
// them). MP3 is encoded by LAME: Layer III of MPEG-1 (32000, 44100, 48000 Hz; 32 to 320 kbps),
// MPEG-2 (16000, 22050, 24000 Hz; 8 to 160 kbps) and MPEG-2.5 (8000, 11025, 12000 Hz; 8 to
// 64 kbps). M4A is encoded by FFmpeg's AAC encoder (7350 to 96000 Hz) and its ALAC encoder.
// Pure functions of their arguments; safe from any thread.

#include "platform/tqkit/TQMP3SettingsRecord.h"

#include <cstdint>

// MPEG versions for TQKitMP3BitRateRangeAdjust: a set of these bits; higher bits are ignored, so
// the panel's 31 selects all three.
enum TQKitMPEGVersionBits : uint32_t {
    kTQKitMPEG1 = 0x1,
    kTQKitMPEG2 = 0x2,
    kTQKitMPEG25 = 0x4,
};

// The bit rates in kbps that the M4A codec (TQM4ACodec) is offered with, zero-terminated; null for
// ALAC (lossless, no bit rate) and for unknown codes.
const int32_t* TQKitM4ABitRateList(int32_t codec);
// The codec's sample-rate range in Hz, reported as the limit nearest to `bound`: the highest rate
// for a large bound (the panel passes 0xFFFFFF), the lowest for a small one (1000), and `bound`
// itself when it lies inside the range. Unknown codes answer as AAC LC.
int32_t TQKitM4ASampleRateLimit(int32_t codec, int32_t bound);

// True when `kbps` is a Layer III bit rate of some MPEG version; true for `hz` a Layer III rate.
bool TQKitMP3IsBitRate(int32_t kbps);
bool TQKitMP3IsSampleRate(int32_t hz);

// Fits a VBR pair to the bit rates of the given MPEG versions: each bound moves to the nearest
// legal rate (the higher one on a tie) and the pair is put in order. Null pointers and a set
// without any version leave the values alone.
void TQKitMP3BitRateRangeAdjust(uint32_t versions, int32_t* minKbps, int32_t* maxKbps);

// Fits the record's bit rates in use (the CBR rate, or the VBR pair) to the MPEG version of its
// sample rate, moving each to the nearest rate that version allows. "As source" (0) and Auto
// (CBR 0) stay. True when a bit rate changed.
bool TQKitMP3BitRatesFitSampleRate(TQMP3SettingsRecord* record);

// Fits *sampleRate to the record's bit rates in use: when its MPEG version cannot carry them, the
// rate moves to the corresponding rate (44100 / 22050 / 11025, 48000 / 24000 / 12000, 32000 /
// 16000 / 8000) of the nearest version that can. 0 ("as source"), Auto and unknown rates stay.
// Layer III allows every bit rate of a version for one and two channels alike, so the channel
// count is only read.
void TQKitMP3SampleRateFitBitRate(const TQMP3SettingsRecord* record, int32_t* sampleRate,
                                  const uint8_t* channels);

// The number of channels the WAV or AIFF codec (codes of the WAV and AIFF panels) can write when
// `requested` are asked for: 1 for the mono-only GSM 6.10 codec, `requested` for every other one.
uint8_t TQKitCodecChannelLimit(int32_t codec, uint8_t requested);
