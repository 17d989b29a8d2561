#pragma once

#include <cstdint>
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

// Interleaved samples of the tone (every channel carries the same tone).
std::vector<double> toneSamples(const ToneSpec& tone);

// The sample format of a WAV file a test writes.
struct WavFormat {
    int sampleRate = 44100;
    int channels = 2;
    int bitsPerSample = 16;     // 8, 16, 24 or 32; 32 with floatingPoint
    bool floatingPoint = false; // IEEE float samples, written as they are (peaks over 1 too)
    uint32_t channelMask = 0;   // the speakers of an extensible WAV; 0 writes a plain one
};

// Writes interleaved samples (nominal range -1..1) as a WAV file, byte by byte.
// Missing folders on the way are created.
void writeWav(const std::filesystem::path& path, const std::vector<double>& samples, const WavFormat& format);
void writeWav(const std::filesystem::path& path, const std::vector<double>& samples, int sampleRate, int channels,
              int bitsPerSample = 16);

// Writes the tone as a plain PCM WAV file, byte by byte, without any library in between.
// Missing folders on the way are created.
void writeToneWav(const std::filesystem::path& path, const ToneSpec& tone);

// A file's audio decoded completely at its own rate, as interleaved floats; empty when it cannot be.
struct DecodedAudio {
    int sampleRate = 0;
    int channels = 0;
    std::vector<double> samples;
    double seconds() const { return channels ? double(samples.size()) / channels / sampleRate : 0; }
};
DecodedAudio decodeAudio(const std::filesystem::path& path);

// A lossless file's samples exactly as stored, left-aligned in 32 bits (a 16-bit sample s gives
// s << 16), interleaved; empty when it cannot be decoded. Two files hold the same audio bit for bit
// when these are equal.
std::vector<int32_t> decodeIntegerSamples(const std::filesystem::path& path);

// Writes `size` bytes of deterministic noise: a file that is not audio at all.
void writeRandomBytes(const std::filesystem::path& path, size_t size, unsigned seed = 1);

} // namespace sonvale::test
