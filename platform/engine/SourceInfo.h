#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sonvale::engine {

// What the decoder learned about a source's audio stream; "as the source" options resolve
// against it.
struct SourceInfo {
    std::string codecName;
    int sampleRate = 0;
    int channels = 0;
    uint64_t channelMask = 0; // the speakers (AV_CH_*) when the file names them, else 0
    int bitsPerSample = 0; // 0 when the codec has no fixed depth (lossy codecs)
    bool floatingPoint = false;
    int64_t bitRate = 0;   // bits per second, 0 when unknown
    double durationSeconds = 0;
    bool durationIsExact = false; // read from the stream's header, not estimated from its bit rate
    // The exact number of samples, where the container trims the coder's padding by it (the edit
    // list of an MP4 file); decoding stops there.
    std::optional<int64_t> lengthFrames;
};

} // namespace sonvale::engine
