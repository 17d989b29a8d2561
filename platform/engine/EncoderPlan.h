#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/engine/OutputSettings.h"

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace sonvale::engine {

// How the tags of a result are written, resolved from the format's tag option.
enum class TagLayout {
    Id3v23,          // MP3, WAV, AIFF
    Id3v24,
    Id3v23WithV1,    // MP3
    Id3v24WithV1,
    Id3v23WithInfo,  // WAV
    Id3v24WithInfo,
    InfoOnly,
    Vorbis,          // FLAC
    VorbisWithId3v23,
    VorbisWithId3v24,
    Mp4,             // M4A
};

// A fully resolved encoder setup for one item: every "as the source" and "automatic" choice made.
// Produced by EncoderPlanner; consumed by the encoders, which don't interpret option codes.
struct EncoderPlan {
    OutputFormat format = OutputFormat::Mp3;
    enum class Kind { Lame, Ffmpeg } kind = Kind::Ffmpeg;
    std::string muxer;            // FFmpeg muxer name ("ipod", "flac", ...); empty for LAME
    std::string extension;        // of the result, without the dot
    AVCodecID codec = AV_CODEC_ID_NONE;
    int sampleRate = 44100;
    int channels = 2;
    uint64_t channelMask = 0;     // the result's speakers (AV_CH_*); 0: FFmpeg's default of the count
    int bitsPerSample = 0;        // PCM, FLAC and ALAC depth; 0 when the codec decides
    int64_t bitRate = 0;          // bits per second for CBR/ABR encoders, 0 when unused
    bool variableBitRate = false;
    double quality = 0;           // LAME VBR quality, or AAC VBR scale
    int compressionLevel = -1;    // FLAC/ALAC, -1 = encoder default
    int alacMaxPredictionOrder = 0; // ALAC's longest predictor, 0 = encoder default
    // LAME only
    int mp3ChannelMode = 1;       // 0 stereo, 1 joint, 2 dual, 3 mono
    bool mp3HighQuality = true;
    bool mp3Crc = false;
    int mp3VbrMinKbps = 0;
    int mp3VbrMaxKbps = 0;
    TagLayout tagLayout = TagLayout::Id3v23;
    // The most audio data an AIFF file can hold (its sizes are 32-bit); 0: no limit.
    int64_t maxAudioBytes = 0;
    // What could not be honoured as asked, for the item's completion name.
    std::vector<std::string> notes;
};

} // namespace sonvale::engine
