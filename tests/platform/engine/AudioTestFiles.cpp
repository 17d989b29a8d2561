#include "tests/platform/engine/AudioTestFiles.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <random>
#include <stdexcept>

#include "platform/engine/DecodedStream.h"

namespace sonvale::test {
namespace {

void putLittleEndian(std::ofstream& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.put(char((value >> (8 * i)) & 0xff));
}

} // namespace

std::vector<float> toneSamples(const ToneSpec& tone)
{
    const auto frames = size_t(std::llround(tone.seconds * tone.sampleRate));
    std::vector<float> samples(frames * tone.channels);
    for (size_t i = 0; i < frames; ++i) {
        const double v = tone.amplitude * std::sin(2 * std::numbers::pi * tone.frequency * double(i) / tone.sampleRate);
        for (int c = 0; c < tone.channels; ++c)
            samples[i * tone.channels + c] = float(v);
    }
    return samples;
}

void writeWav(const std::filesystem::path& path, const std::vector<float>& samples, int sampleRate, int channels,
              int bitsPerSample)
{
    const int bytesPerSample = bitsPerSample / 8;
    const uint32_t dataBytes = uint32_t(samples.size() * bytesPerSample);
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    out.write("RIFF", 4);
    putLittleEndian(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    putLittleEndian(out, 16, 4);
    putLittleEndian(out, 1, 2); // integer PCM
    putLittleEndian(out, channels, 2);
    putLittleEndian(out, sampleRate, 4);
    putLittleEndian(out, uint64_t(sampleRate) * channels * bytesPerSample, 4);
    putLittleEndian(out, channels * bytesPerSample, 2);
    putLittleEndian(out, bitsPerSample, 2);
    out.write("data", 4);
    putLittleEndian(out, dataBytes, 4);
    const double fullScale = std::ldexp(1.0, bitsPerSample - 1) - 1;
    for (float s : samples) {
        const auto v = int64_t(std::llround(s * fullScale));
        putLittleEndian(out, bitsPerSample == 8 ? uint64_t(v + 128) : uint64_t(v), bytesPerSample);
    }
}

void writeToneWav(const std::filesystem::path& path, const ToneSpec& tone)
{
    writeWav(path, toneSamples(tone), tone.sampleRate, tone.channels, tone.bitsPerSample);
}

DecodedAudio decodeAudio(const std::filesystem::path& path)
{
    DecodedAudio audio;
    engine::DecodedStream stream(nullptr);
    if (!stream.open(path.string(), std::nullopt))
        return audio;
    audio.sampleRate = stream.info().sampleRate;
    audio.channels = stream.info().channels;
    if (!stream.startOutput(audio.sampleRate, audio.channels))
        return audio;
    std::vector<float> block;
    for (bool end = false;;) {
        if (!stream.read(block, end) || end)
            break;
        audio.samples.insert(audio.samples.end(), block.begin(), block.end());
    }
    return audio;
}

void writeRandomBytes(const std::filesystem::path& path, size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < size; ++i)
        out.put(char(random() & 0xff));
}

} // namespace sonvale::test
