#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace sonvale::test {

// What a test learns about an audio file by decoding it completely with FFmpeg's libraries.
struct AudioProbe {
    std::string container;  // FFmpeg's demuxer name
    std::string codec;      // FFmpeg's codec name
    std::string profile;    // FFmpeg's name of the codec profile ("LC" for AAC-LC); empty when none
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;  // 0 for codecs without a fixed depth
    double durationSeconds = 0; // from the decoded samples
    int64_t bitRate = 0;    // bits per second over the audio packets
    bool variableBitRate = false;
    double frequency = 0;   // of the tone in the first channel, from its zero crossings
    double peak = 0;        // largest absolute sample of the first channel
    int64_t packetCount = 0;

    // Decodes `path`; on failure `error` says why and the other fields are unset.
    static AudioProbe of(const std::filesystem::path& path);
    std::string error;
};

} // namespace sonvale::test
