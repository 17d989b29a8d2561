#pragma once

// The engine's own description of what a batch asks for: the output format and the options of its
// encoder, in the codes the settings records use. A small mapping fills it from the batch record,
// so the pipeline can be driven and tested without one.

#include <cstdint>
#include <variant>

namespace sonvale::engine {

// Output format codes of the batch record.
enum class OutputFormat : int32_t { Mp3 = 1, Wav = 2, Aiff = 3, M4a = 4, Flac = 5 };

struct Mp3Options {
    bool cbr = false;
    int32_t cbrBitRate = 0;      // kbps, 0 = chosen from the source
    bool cbrHighQuality = true;
    int32_t vbrMinBitRate = 32;  // kbps
    int32_t vbrMaxBitRate = 320; // kbps
    int32_t vbrQuality = 2;      // 0 best ... 9 fastest
    bool useCrc = false;
    int32_t channelMode = 4;     // 0 stereo, 1 joint, 2 dual, 3 mono, 4 as the source
    int32_t sampleRate = 0;      // Hz, 0 = as the source
    int32_t metadataFormat = 3;  // 3 ID3v2.3, 1 ID3v2.4, 2 ID3v2.3 + ID3v1, 0 ID3v2.4 + ID3v1
};

struct M4aOptions {
    int32_t codec = 37;         // 37 AAC LC, 41 HE v1, 42 HE v2, 43 ALAC
    int32_t sampleRate = 0;     // Hz, 0 = as the source
    uint8_t channels = 0;       // 0 as the source, 1 mono, 2 stereo
    int32_t bitRate = 0;        // kbps, 0 = automatic
    int32_t quality = 2;        // 1 low, 2 medium, 3 high
    int32_t bitRateMode = 2;    // 1 constant, 2 average, 4 variable
    int32_t sampleSize = 0;     // 0 as the source, 2 16-bit, 3 24-bit, 4 32-bit
    int32_t extension = 0;      // 0 m4a, 3 mp4, 2 m4r, 1 m4b
};

struct FlacOptions {
    int32_t sampleRate = 0;
    uint8_t channels = 0;
    int32_t compressionLevel = 2; // 1 low, 2 medium, 3 high
    int32_t sampleSize = 0;       // 0 as the source, 1 8-bit, 2 16-bit, 3 24-bit
    int32_t tagsFormat = 0;       // 0 Vorbis, 2 Vorbis + ID3v2.3, 1 Vorbis + ID3v2.4
};

// WAV and AIFF share one codec vocabulary; codec 0 picks PCM by the source's bit depth.
struct PcmOptions {
    int32_t codec = 0;
    int32_t sampleRate = 0;
    uint8_t channels = 0;
    int32_t tagsFormat = 0; // WAV only: 4 ID3v2.3, 2 ID3v2.4, 3 ID3v2.3 + Info, 0 ID3v2.4 + Info, 1 Info
};

using EncoderOptions = std::variant<Mp3Options, M4aOptions, FlacOptions, PcmOptions>;

struct OutputSettings {
    OutputFormat format = OutputFormat::Mp3;
    EncoderOptions options = Mp3Options{};
};

} // namespace sonvale::engine
