#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sonvale::test {

// A sine tone of known frequency, length and level: what the audio tests write and then look for.
struct ToneSpec {
    double frequency = 1000.0;
    double seconds = 2.0;
    double amplitude = 0.5; // of full scale
    int sampleRate = 44100;
    int channels = 2;
    int bitsPerSample = 16; // 8, 16, 24 or 32 (integer PCM)
};

// Interleaved float samples of the tone (every channel carries the same tone).
std::vector<float> toneSamples(const ToneSpec& tone);

// Writes interleaved samples (nominal range -1..1) as a plain integer PCM WAV file, byte by byte.
// Missing folders on the way are created.
void writeWav(const std::filesystem::path& path, const std::vector<float>& samples, int sampleRate, int channels,
              int bitsPerSample = 16);

// Writes the tone as a plain PCM WAV file, byte by byte, without any library in between.
// Missing folders on the way are created.
void writeToneWav(const std::filesystem::path& path, const ToneSpec& tone);

// A file's audio decoded completely at its own rate, as interleaved floats; empty when it cannot be.
struct DecodedAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;
    double seconds() const { return channels ? double(samples.size()) / channels / sampleRate : 0; }
};
DecodedAudio decodeAudio(const std::filesystem::path& path);

// Writes `size` bytes of deterministic noise: a file that is not audio at all.
void writeRandomBytes(const std::filesystem::path& path, size_t size, unsigned seed = 1);

} // namespace sonvale::test
